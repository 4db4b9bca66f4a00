// A small tarn in C#: a product's servers, a login ticket, this computer's
// identifier. Build it with the binding: mcs -r:System.Core -out:Tarn.exe
// TarnClient.cs examples/Tarn.cs
//
//   Tarn.exe [--server HOST:PORT] servers PRODUCT CATEGORY [NAME]
//   Tarn.exe [--server HOST:PORT] ticket PRODUCT EVENT [CONTEXT-ID]
//   Tarn.exe machine-id
//
// Without --server, the configured server. Ctrl-C stops a call that waits
// for the server. Exit status: 0 done, 1 nothing found or no login, 2 usage,
// 3 refused by the server, 4 failed, 130 stopped.
using System;
using System.Linq;
using System.Text;
using Tarn;

static class Program
{
    static int Main(string[] arguments)
    {
        var args = arguments.ToList();
        string server = null;
        if (args.Count >= 2 && args[0] == "--server")
        {
            server = args[1];
            args.RemoveRange(0, 2);
        }
        if (args.Count == 1 && args[0] == "machine-id")
        {
            Console.WriteLine(TarnClient.MachineId);
            return 0;
        }
        bool servers = (args.Count == 3 || args.Count == 4) && args[0] == "servers";
        bool ticket = (args.Count == 3 || args.Count == 4) && args[0] == "ticket";
        if (!servers && !ticket)
        {
            Console.Error.WriteLine("usage: Tarn.exe [--server HOST:PORT] servers PRODUCT CATEGORY [NAME]\n" +
                                    "       Tarn.exe [--server HOST:PORT] ticket PRODUCT EVENT [CONTEXT-ID]\n" +
                                    "       Tarn.exe machine-id");
            return 2;
        }
        try
        {
            using (var client = new TarnClient(server))
            {
                // Ctrl-C arrives on a thread of its own, which stops the call this one waits in.
                Console.CancelKeyPress += (sender, press) =>
                {
                    press.Cancel = true;
                    client.Cancel();
                };
                if (servers)
                {
                    var found = client.FindServers(args[1], args[2], args.Count == 4 ? args[3] : "any");
                    foreach (var s in found)
                        Console.WriteLine("{0,-12} {1,-22} uc={2}", s.Name, s.Address, s.Uc);
                    return found.Count > 0 ? 0 : 1;
                }
                string key = client.GetTicket(args[1], args[2], Ask, code =>
                    Console.Error.WriteLine("the server refused the login with code {0}", code),
                    contextId: args.Count == 4 ? args[3] : null);
                if (key == null)
                    return 1;
                Console.WriteLine(key);
                return 0;
            }
        }
        catch (TarnException error)
        {
            Console.Error.WriteLine("Tarn.exe: " + error.Cause);
            return error.Kind == FailureKind.Refused ? 3 : error.Kind == FailureKind.Cancelled ? 130 : 4;
        }
    }

    // The login prompt: Enter keeps the proposed name; no name, or the end of
    // the input, gives up.
    static bool Ask(Login login)
    {
        Console.Write("public name [{0}]: ", login.PublicName);
        string name = Console.ReadLine();
        if (name == null)
            return false;
        if (name.Trim().Length > 0)
            login.PublicName = name.Trim();
        if (string.IsNullOrEmpty(login.PublicName))
            return false;
        Console.Write("password: ");
        login.Password = Console.IsInputRedirected ? Console.ReadLine() : ReadHidden();
        return login.Password != null;
    }

    static string ReadHidden()
    {
        var password = new StringBuilder();
        for (ConsoleKeyInfo key; (key = Console.ReadKey(true)).Key != ConsoleKey.Enter;)
        {
            if (key.Key == ConsoleKey.Backspace && password.Length > 0)
                password.Length--;
            else if (!char.IsControl(key.KeyChar))
                password.Append(key.KeyChar);
        }
        Console.WriteLine();
        return password.ToString();
    }
}
