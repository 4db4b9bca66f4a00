// The C# binding's own mapping: records, exceptions, callbacks and their
// lifetime, disposing, cancelling from another thread, the trace event and
// finding the library. What the library does with a call is the C host's
// and the library's tests' business.
//
// Compiled with mcs together with bindings/csharp/TarnClient.cs and run with
// mono against a tarn-devserver whose HOST:PORT is in TARN_TEST_SERVER
// (tests/support/with_devserver.sh), the library named by TARNCLIENT_LIBRARY.
//
//   mono TarnClientTest.exe             every test; "N passed, M failed"
//   mono TarnClientTest.exe open|version  one step, for a process of its own
using System;
using System.Collections.Generic;
using System.Diagnostics;
using System.IO;
using System.Linq;
using System.Text.RegularExpressions;
using System.Threading;
using Tarn;

static class TarnClientTest
{
    static readonly string Server = Environment.GetEnvironmentVariable("TARN_TEST_SERVER");

    static int Main(string[] args)
    {
        if (args.Length == 1)
            return Step(args[0]);
        var tests = new Dictionary<string, Action<TarnClient>>
        {
            { "servers are records in the server's order", ServersAreRecords },
            { "a failed call throws its code, kind and cause", FailedCallsThrow },
            { "prompt answers and reports reach the library", PromptAndReport },
            { "a prompt gives up, answers a context id, or is missing", PromptAnswers },
            { "what a callback throws comes out of GetTicket", CallbackExceptions },
            { "stored tickets", StoredTickets },
            { "cancel from another thread", CancelFromAnotherThread },
            { "dispose waits for the call in flight", DisposeDuringCall },
            { "deadline property", DeadlineProperty },
            { "trace event from any thread until removed", TraceEvent },
            { "machine id and version", MachineIdAndVersion },
            { "a process of its own: no location, no library", ProcessesOfTheirOwn },
        };
        int passed = 0, failed = 0;
        foreach (var test in tests)
        {
            try
            {
                using (var client = new TarnClient(Server))
                    test.Value(client);
                ++passed;
                Console.WriteLine("ok   " + test.Key);
            }
            catch (Exception error)
            {
                ++failed;
                Console.WriteLine("FAIL " + test.Key + ": " + error);
            }
        }
        Console.WriteLine("{0} passed, {1} failed", passed, failed);
        return failed == 0 ? 0 : 1;
    }

    static void ServersAreRecords(TarnClient client)
    {
        IReadOnlyList<Server> servers = client.FindServers("TARNQUEST", "game", att1: "eu");
        Same("alpha 127.0.0.1:7001 127.0.0.1 7001 12|gamma 127.0.0.1:7003 127.0.0.1 7003 7",
             string.Join("|", servers.Select(s => string.Join(" ", s.Name, s.Address, s.Host, s.Port, s.Uc))));
        Throws<NotSupportedException>(() => ((IList<Server>)servers).Add(servers[0]));
        Same(0, client.FindServers("NOSUCH", "game").Count);
    }

    static void FailedCallsThrow(TarnClient client)
    {
        var refused = Throws<TarnException>(() => client.GetTicket("TARNQUEST", "launch", contextId: "ctx-expired"));
        Same(-1, refused.Code);
        Same(FailureKind.Refused, refused.Kind);
        Check(refused.Cause.StartsWith("server status 2009: "), refused.Cause);

        var bad = Throws<TarnException>(() => client.FindServers("TARNQUEST", ""));
        Same(-5, bad.Code);
        Same(FailureKind.BadArgument, bad.Kind);
        Check(bad.Cause.Contains("Service Category") && bad.Message.EndsWith("(code -5)"), bad.Message);

        Throws<ArgumentException>(() => client.FindServers("TARN\0QUEST", "game"));
    }

    static void PromptAndReport(TarnClient client)
    {
        var answers = new Queue<string>(new[] { "wrongpass1", "wonderland1" });
        var offered = new List<string>();
        var reported = new List<int>();
        string ticket = client.GetTicket("TARNQUEST", "launch", login =>
        {
            // The library's calls back must find the callbacks alive whatever the collector did.
            GC.Collect();
            GC.WaitForPendingFinalizers();
            offered.Add(login.PublicName);
            login.PublicName = "alice";
            login.Password = answers.Dequeue();
            return true;
        }, code =>
        {
            GC.Collect();
            reported.Add(code);
        });
        Check(IsTicket(ticket), ticket);
        Same("2006", string.Join(",", reported));
        Same("alice", offered[1]); // the name entered, proposed again
    }

    static void PromptAnswers(TarnClient client)
    {
        Same(null, client.GetTicket("TARNQUEST", "launch", login => false));
        Check(IsTicket(client.GetTicket("TARNQUEST", "launch", login =>
        {
            login.ContextId = "ctx-alice-1";
            return true;
        })), "a ticket for the context id");
        var missing = Throws<TarnException>(() => client.GetTicket("TARNQUEST", "launch"));
        Same(-5, missing.Code);
        Same(FailureKind.BadArgument, missing.Kind);
    }

    static void CallbackExceptions(TarnClient client)
    {
        var stop = new OperationCanceledException("the user closed the window");
        Same(stop, Throws<OperationCanceledException>(() =>
            client.GetTicket("TARNQUEST", "launch", login => { throw stop; })));
        Throws<InvalidOperationException>(() => client.GetTicket("TARNQUEST", "launch", login =>
        {
            login.PublicName = "alice";
            login.Password = "wrongpass1";
            return true;
        }, code => { throw new InvalidOperationException("refused " + code); }));
        var tooLong = Throws<ArgumentException>(() => client.GetTicket("TARNQUEST", "launch", login =>
        {
            login.PublicName = "alice";
            login.Password = new string('p', 40);
            return true;
        }));
        Check(tooLong.Message.Contains("password is longer than 39 bytes"), tooLong.Message);
    }

    static void StoredTickets(TarnClient client)
    {
        client.PutTicket("TARNQUEST", "finals", "T-1");
        Same("T-1", client.GetTicket("TARNQUEST", "finals", useStored: true));
        Same(null, client.GetTicket("TARNQUEST", "finals", useStored: true));
        client.PutTicket("TARNQUEST", "finals", "T-2");
        Check(client.RemoveTicket("TARNQUEST", "finals"), "removed");
        Check(!client.RemoveTicket("TARNQUEST", "finals"), "nothing to remove");
        Throws<TarnException>(() => client.PutTicket("TARNQUEST", "finals", ""));
    }

    static void CancelFromAnotherThread(TarnClient client)
    {
        Check(!client.Cancel(), "nothing in flight");
        bool cancelled = false;
        var error = Throws<TarnException>(() => client.GetTicket("TARNQUEST", "launch", login =>
        {
            // Another thread stops the call while this prompt is shown.
            var other = new Thread(() => cancelled = client.Cancel());
            other.Start();
            other.Join();
            login.PublicName = "alice";
            login.Password = "wonderland1";
            return true;
        }));
        Check(cancelled, "the call was in flight");
        Same(-7, error.Code);
        Same(FailureKind.Cancelled, error.Kind);
        Same(3, client.FindServers("TARNQUEST", "game").Count);
    }

    static void DisposeDuringCall(TarnClient client)
    {
        // Disposed by another thread while the call runs: the call ends normally.
        string ticket = client.GetTicket("TARNQUEST", "launch", login =>
        {
            var other = new Thread(client.Dispose);
            other.Start();
            other.Join();
            login.ContextId = "ctx-alice-1";
            return true;
        });
        Check(IsTicket(ticket), ticket);
        Throws<ObjectDisposedException>(() => client.FindServers("TARNQUEST", "game"));
        Throws<ObjectDisposedException>(() => client.Cancel());
        client.Dispose();
    }

    static void DeadlineProperty(TarnClient client)
    {
        Same(null, client.Deadline);
        client.Deadline = TimeSpan.FromSeconds(1.5);
        Same(TimeSpan.FromSeconds(1.5), client.Deadline);
        client.Deadline = TimeSpan.Zero;
        Same(null, client.Deadline);
        Throws<ArgumentOutOfRangeException>(() => client.Deadline = TimeSpan.FromSeconds(-1));
    }

    static void TraceEvent(TarnClient client)
    {
        var lines = new List<string>();
        Action<string> handler = line => { lock (lines) lines.Add(line); };
        TarnClient.Trace += handler;
        try
        {
            var other = new Thread(() => client.FindServers("TARNQUEST", "game"));
            other.Start();
            other.Join();
        }
        finally
        {
            TarnClient.Trace -= handler;
        }
        Check(lines.Any(line => line.Contains("Enter Function: AddressManager::GetServerAddressEnum")),
              string.Join("\n", lines));
        int seen = lines.Count;
        client.FindServers("TARNQUEST", "game");
        Same(seen, lines.Count);
    }

    static void MachineIdAndVersion(TarnClient client)
    {
        Check(TarnClient.MachineId.Length > 0, "a machine id");
        Same(TarnClient.MachineId, TarnClient.MachineId);
        Check(Regex.IsMatch(TarnClient.Version, @"^\d+\.\d+\.\d+$"), TarnClient.Version);
    }

    static void ProcessesOfTheirOwn(TarnClient client)
    {
        string registry = Path.GetTempFileName();
        File.Delete(registry);
        try
        {
            Same("-1 None", Run("open", "TARN_REGISTRY", registry));
        }
        finally
        {
            File.Delete(registry);
        }
        string missing = Run("version", "TARNCLIENT_LIBRARY", "/nonexistent/libTarnClient.so.1");
        Check(missing.StartsWith("DllNotFoundException") && missing.Contains("/nonexistent/libTarnClient.so.1"),
              missing);

        // Beside the assembly, when no file is named.
        string folder = Path.Combine(Path.GetTempPath(), Path.GetRandomFileName());
        Directory.CreateDirectory(folder);
        try
        {
            string program = Path.Combine(folder, "TarnClientTest.exe");
            File.Copy(typeof(TarnClientTest).Assembly.Location, program);
            string library = Environment.GetEnvironmentVariable("TARNCLIENT_LIBRARY");
            // The library finds its XML parser beside itself, as an application ships them.
            File.Copy(library, Path.Combine(folder, "libTarnClient.so.1"));
            File.Copy(Path.Combine(Path.GetDirectoryName(library), "libXMLParser.so.1"),
                      Path.Combine(folder, "libXMLParser.so.1"));
            Same(TarnClient.Version, Run("version", "TARNCLIENT_LIBRARY", null, program));
        }
        finally
        {
            Directory.Delete(folder, true);
        }
    }

    // The steps a process of its own runs; what they print is what Run returns.
    static int Step(string step)
    {
        try
        {
            if (step == "open")
                new TarnClient().Dispose();
            else
                Console.Write(TarnClient.Version);
        }
        catch (TarnException error)
        {
            Console.Write("{0} {1}", error.Code, error.Kind);
        }
        catch (Exception error)
        {
            Console.Write("{0}: {1}", error.GetType().Name, error.Message);
        }
        return 0;
    }

    // Runs a step in a new process of program (this one by default), with variable set to value
    // (null: unset).
    static string Run(string step, string variable, string value, string program = null)
    {
        program = program ?? typeof(TarnClientTest).Assembly.Location;
        var start = new ProcessStartInfo("mono", "\"" + program + "\" " + step)
        {
            UseShellExecute = false,
            RedirectStandardOutput = true,
        };
        start.EnvironmentVariables.Remove(variable);
        if (value != null)
            start.EnvironmentVariables[variable] = value;
        using (Process process = Process.Start(start))
        {
            string output = process.StandardOutput.ReadToEnd();
            process.WaitForExit();
            return output.Trim();
        }
    }

    static bool IsTicket(string text) { return text != null && Regex.IsMatch(text, "^[0-9A-F]{32}$"); }

    static void Check(bool condition, string what)
    {
        if (!condition)
            throw new Exception("check failed: " + what);
    }

    static void Same<T>(T expected, T actual)
    {
        if (!EqualityComparer<T>.Default.Equals(expected, actual))
            throw new Exception(string.Format("expected {0}, got {1}", expected, actual));
    }

    static E Throws<E>(Action call) where E : Exception
    {
        try
        {
            call();
        }
        catch (E error)
        {
            return error;
        }
        throw new Exception("expected " + typeof(E).Name);
    }

    static E Throws<E>(Func<object> call) where E : Exception { return Throws<E>(() => { call(); }); }
}
