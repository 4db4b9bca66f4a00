// TarnClient for C#: where the Tarn platform's servers live, and login
// tickets, through the TarnClient library's C interface (tarnclient/tarn.h).
//
// Add this one file to a project (C# 6 or later, the .NET Framework 4.5
// library or later; tested with Mono 6.8):
//
//     using (var client = new Tarn.TarnClient("127.0.0.1:8600"))
//         foreach (var server in client.FindServers("TARNQUEST", "game"))
//             Console.WriteLine("{0} {1} uc={2}", server.Name, server.Address, server.Uc);
//
// The library is loaded on first use from, in this order: the file the
// environment variable TARNCLIENT_LIBRARY names; TarnClient.dll (Windows) or
// libTarnClient.so.1 (Linux) beside this assembly; the same name on the
// system's library path. Failures throw TarnException (Code, Kind, Cause).
// Calls block; another thread may stop one with Cancel(). The first server
// location a process uses successfully stays its location. Texts cross the
// library as UTF-8.
using System;
using System.Collections.Generic;
using System.Collections.ObjectModel;
using System.IO;
using System.Runtime.ExceptionServices;
using System.Runtime.InteropServices;
using System.Text;

namespace Tarn
{
    /// <summary>Why a call failed.</summary>
    public enum FailureKind
    {
        /// <summary>No call failed: the failure is not one of a call (opening a client).</summary>
        None = 0,
        /// <summary>The server was not reached (name, connection).</summary>
        NotReached = 1,
        /// <summary>No reply, or not all of it: time-out, closed, cut.</summary>
        NoReply = 2,
        /// <summary>A reply that is not what the service sends.</summary>
        UnreadableReply = 3,
        /// <summary>The server answered no: an HTTP or application status.</summary>
        Refused = 4,
        /// <summary>Cancel() stopped it.</summary>
        Cancelled = 5,
        /// <summary>The Deadline passed.</summary>
        PastDeadline = 6,
        /// <summary>Refused before anything was sent.</summary>
        BadArgument = 7,
    }

    /// <summary>A failed call: the library's code (negative), the kind of failure and its one-line cause.</summary>
    public sealed class TarnException : Exception
    {
        public TarnException(int code, FailureKind kind, string cause)
            : base(string.Format("{0} (code {1})", cause, code))
        {
            Code = code;
            Kind = kind;
            Cause = cause;
        }

        public int Code { get; private set; }
        public FailureKind Kind { get; private set; }
        public string Cause { get; private set; }
    }

    /// <summary>One server of a product, as the address server reported it.</summary>
    public sealed class Server
    {
        public Server(string name, string address, string host, int port, int uc)
        {
            Name = name;
            Address = address;
            Host = host;
            Port = port;
            Uc = uc;
        }

        public string Name { get; private set; }
        /// <summary>"&lt;IP Address&gt;:&lt;Port&gt;".</summary>
        public string Address { get; private set; }
        public string Host { get; private set; }
        public int Port { get; private set; }
        public int Uc { get; private set; }

        public override string ToString() { return Name + " " + Address + " uc=" + Uc; }
    }

    /// <summary>What a login prompt is offered (the public name and password used last) and answers.
    /// A ContextId answers instead of a name and password. Each text holds at most 39 UTF-8 bytes.</summary>
    public sealed class Login
    {
        public string PublicName { get; set; }
        public string Password { get; set; }
        public string ContextId { get; set; }
    }

    /// <summary>Fills in login and returns true to log in, or returns false to give up. May throw to
    /// stop the call: GetTicket throws the same exception.</summary>
    public delegate bool LoginPrompt(Login login);

    /// <summary>Told each application error of a login (2006: wrong password, ...); the prompt comes
    /// again when the error can be corrected. May throw to stop the call.</summary>
    public delegate void ErrorReport(int code);

    /// <summary>An address manager and a customer manager of the library, on one server. Any thread
    /// may use it, several at once. Dispose it when done; a call still running ends first.</summary>
    public sealed class TarnClient : IDisposable
    {
        readonly ClientHandle handle;
        TimeSpan? deadline;

        /// <summary>A client of server ("HOST:PORT"), or of the configured server for null.</summary>
        public TarnClient(string server = null)
        {
            int code = Native.Api.ClientOpen(Native.In(server), out handle);
            if (code != 0)
                throw new TarnException(code, FailureKind.None, string.Format(
                    "cannot open a client on {0} (the trace says why: TARN_TRACE or TarnClient.Trace)",
                    server ?? "the configured server"));
        }

        /// <summary>The library's version, "MAJOR.MINOR.PATCH".</summary>
        public static string Version { get { return Native.Out(Native.Api.Version()); } }

        /// <summary>This computer's identifier, generated once and kept by the library.</summary>
        public static string MachineId
        {
            get
            {
                int code;
                string id = Native.Copied((text, size) => Native.Api.MachineId(text, size), out code);
                if (id == null)
                    throw new TarnException(code, FailureKind.None, "cannot read or create the machine identifier");
                return id;
            }
        }

        /// <summary>The servers of product in category, named name ("any": all of them), with
        /// attribute att1 when given; empty when none matches.</summary>
        public IReadOnlyList<Server> FindServers(string product, string category, string name = "any",
                                                 string att1 = null)
        {
            ServersHandle found;
            int code = Native.Api.ServersFind(Handle, Native.In(product), Native.In(category), Native.In(name),
                                              Native.In(att1), out found);
            if (code != 0)
                throw Failed(code);
            using (found)
            {
                var servers = new List<Server>();
                for (int i = 0, count = Native.Api.ServersCount(found); i < count; ++i)
                    servers.Add(new Server(Native.Out(Native.Api.ServersName(found, i)),
                                           Native.Out(Native.Api.ServersAddress(found, i)),
                                           Native.Out(Native.Api.ServersHost(found, i)),
                                           Native.Api.ServersPort(found, i), Native.Api.ServersUc(found, i)));
                return new ReadOnlyCollection<Server>(servers);
            }
        }

        /// <summary>A login ticket for product and eventName: the one PutTicket stored (useStored),
        /// one for contextId, or one for the public name and password that prompt answers. Null when
        /// no ticket was stored or the prompt gave up. A login without contextId or useStored needs a
        /// prompt.</summary>
        public string GetTicket(string product, string eventName, LoginPrompt prompt = null,
                                ErrorReport report = null, string contextId = null, string language = null,
                                bool useStored = false)
        {
            var call = new TicketCall { Prompt = prompt, Report = report };
            GCHandle context = GCHandle.Alloc(call);
            IntPtr ticket = IntPtr.Zero;
            int code;
            try
            {
                code = Native.Api.TicketGet(Handle, Native.In(product), Native.In(eventName), Native.In(contextId),
                                            Native.In(language), useStored ? 1 : 0, TicketCall.PromptEntry,
                                            report == null ? null : TicketCall.ReportEntry,
                                            GCHandle.ToIntPtr(context), out ticket);
            }
            finally
            {
                context.Free();
            }
            try
            {
                if (call.Raised != null)
                    ExceptionDispatchInfo.Capture(call.Raised).Throw();
                if (code < 0)
                    throw Failed(code);
                return code == 0 ? Native.Out(ticket) : null;
            }
            finally
            {
                Native.Api.Free(ticket);
            }
        }

        /// <summary>Stores ticket for product and eventName in the process's ticket store, for a later
        /// GetTicket with useStored.</summary>
        public void PutTicket(string product, string eventName, string ticket)
        {
            int code = Native.Api.TicketPut(Handle, Native.In(product), Native.In(eventName), Native.In(ticket));
            if (code < 0)
                throw Failed(code);
        }

        /// <summary>Removes the stored ticket of product and eventName; false when there was none.</summary>
        public bool RemoveTicket(string product, string eventName)
        {
            int code = Native.Api.TicketRemove(Handle, Native.In(product), Native.In(eventName));
            if (code < 0)
                throw Failed(code);
            return code == 0;
        }

        /// <summary>From any thread: stops the call running on this client, which then throws
        /// TarnException with Kind Cancelled. False when none was running.</summary>
        public bool Cancel() { return Native.Api.ClientCancel(Handle) == 0; }

        /// <summary>The time each later call may take at most, waiting for other calls' exchanges
        /// included; null (or zero): the library's own bounds. A call past it throws TarnException with
        /// Kind PastDeadline.</summary>
        public TimeSpan? Deadline
        {
            get { return deadline; }
            set
            {
                double milliseconds = value.HasValue ? Math.Ceiling(value.Value.TotalMilliseconds) : 0;
                if (milliseconds < 0 || milliseconds > int.MaxValue)
                    throw new ArgumentOutOfRangeException("value", value, "a deadline is from 0 to int.MaxValue ms");
                Native.Api.ClientSetDeadline(Handle, (int)milliseconds);
                deadline = milliseconds > 0 ? value : null;
            }
        }

        static readonly object traceLock = new object();
        static Action<string> traceHandlers;
        static readonly Native.TraceFn traceEntry = OnTraceLine;

        /// <summary>Every line of the library's trace, on the thread that traced (also threads other
        /// than the caller's). A handler must not call the library; what it throws is ignored.</summary>
        public static event Action<string> Trace
        {
            add
            {
                lock (traceLock)
                {
                    if (traceHandlers == null)
                        Native.Api.SetTrace(traceEntry, IntPtr.Zero);
                    traceHandlers += value;
                }
            }
            remove
            {
                lock (traceLock)
                {
                    traceHandlers -= value;
                    if (traceHandlers == null)
                        Native.Api.SetTrace(null, IntPtr.Zero);
                }
            }
        }

        public void Dispose() { handle.Dispose(); }

        ClientHandle Handle
        {
            get
            {
                if (handle.IsClosed)
                    throw new ObjectDisposedException("TarnClient");
                return handle;
            }
        }

        // The exception of this client's call that just failed with code.
        TarnException Failed(int code)
        {
            int kind = 0;
            int ignored;
            string cause = Native.Copied((text, size) => Native.Api.ClientLastFailure(handle, text, size, out kind),
                                         out ignored);
            var known = Enum.IsDefined(typeof(FailureKind), kind) ? (FailureKind)kind : FailureKind.None;
            return new TarnException(code, known,
                                     string.IsNullOrEmpty(cause) ? "the call failed with code " + code : cause);
        }

        static void OnTraceLine(IntPtr context, IntPtr line)
        {
            Action<string> handlers = traceHandlers;
            try
            {
                if (handlers != null)
                    handlers(Native.Out(line));
            }
            catch (Exception)
            {
                // Nothing may cross into the library.
            }
        }

        // One GetTicket's callbacks, reached from the library's calls through a GCHandle: the entry
        // points themselves are static and live as long as the program.
        sealed class TicketCall
        {
            public static readonly Native.PromptFn PromptEntry = OnPrompt;
            public static readonly Native.ReportFn ReportEntry = OnReport;
            const int Failure = -1;
            const int GaveUp = 1;
            const int FieldSize = 40;

            public LoginPrompt Prompt;
            public ErrorReport Report;
            public Exception Raised;

            static TicketCall Of(IntPtr context) { return (TicketCall)GCHandle.FromIntPtr(context).Target; }

            static int OnPrompt(IntPtr context, IntPtr login)
            {
                TicketCall call = Of(context);
                try
                {
                    if (call.Prompt == null)
                        throw new TarnException(-5, FailureKind.BadArgument,
                                                "a login needs a prompt: pass one to GetTicket");
                    var offered = new Login { PublicName = ReadField(login, 0), Password = ReadField(login, 1) };
                    if (!call.Prompt(offered))
                        return GaveUp;
                    WriteField(login, 0, offered.PublicName, "public name");
                    WriteField(login, 1, offered.Password, "password");
                    WriteField(login, 2, offered.ContextId, "context id");
                    Marshal.WriteInt32(login, 3 * FieldSize, string.IsNullOrEmpty(offered.ContextId) ? 0 : 1);
                    return 0;
                }
                catch (Exception error)
                {
                    call.Raised = error;
                    return Failure;
                }
            }

            static int OnReport(IntPtr context, int code)
            {
                TicketCall call = Of(context);
                try
                {
                    call.Report(code);
                    return 0;
                }
                catch (Exception error)
                {
                    call.Raised = error;
                    return Failure;
                }
            }

            static string ReadField(IntPtr login, int field)
            {
                return Native.Out(new IntPtr(login.ToInt64() + field * FieldSize));
            }

            static void WriteField(IntPtr login, int field, string text, string what)
            {
                byte[] data = Native.In(text ?? "");
                if (data.Length > FieldSize)
                    throw new ArgumentException("the " + what + " is longer than 39 bytes");
                Marshal.Copy(data, 0, new IntPtr(login.ToInt64() + field * FieldSize), data.Length);
            }
        }
    }

    // A tarn_client*, closed once no call uses it.
    sealed class ClientHandle : SafeHandle
    {
        public ClientHandle() : base(IntPtr.Zero, true) { }
        public override bool IsInvalid { get { return handle == IntPtr.Zero; } }
        protected override bool ReleaseHandle()
        {
            Native.Api.ClientClose(handle);
            return true;
        }
    }

    // A tarn_servers*.
    sealed class ServersHandle : SafeHandle
    {
        public ServersHandle() : base(IntPtr.Zero, true) { }
        public override bool IsInvalid { get { return handle == IntPtr.Zero; } }
        protected override bool ReleaseHandle()
        {
            Native.Api.ServersFree(handle);
            return true;
        }
    }

    // The C interface, bound at run time to the library file found (see the top of this file), so that
    // neither a DllImport name mapping nor a development link libTarnClient.so is needed.
    sealed class Native
    {
        // Every function and callback of the C interface is __cdecl.
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int PromptFn(IntPtr context, IntPtr login);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int ReportFn(IntPtr context, int code);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate void TraceFn(IntPtr context, IntPtr line);

        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate IntPtr VersionFn();
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int OpenFn(byte[] server, out ClientHandle client);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate void ReleaseFn(IntPtr p);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int CancelFn(ClientHandle client);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int DeadlineFn(ClientHandle client, int milliseconds);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int LastFailureFn(ClientHandle client, byte[] text, uint size, out int kind);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int FindFn(ClientHandle client, byte[] product, byte[] category, byte[] name, byte[] att1,
                                   out ServersHandle servers);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int CountFn(ServersHandle servers);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate IntPtr TextAtFn(ServersHandle servers, int index);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int NumberAtFn(ServersHandle servers, int index);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int TicketGetFn(ClientHandle client, byte[] product, byte[] eventName, byte[] contextId,
                                        byte[] language, int useStored, PromptFn prompt, ReportFn report,
                                        IntPtr context, out IntPtr ticket);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int TicketPutFn(ClientHandle client, byte[] product, byte[] eventName, byte[] ticket);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int TicketRemoveFn(ClientHandle client, byte[] product, byte[] eventName);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate int MachineIdFn(byte[] text, uint size);
        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate void SetTraceFn(TraceFn sink, IntPtr context);

        public readonly VersionFn Version;
        public readonly OpenFn ClientOpen;
        public readonly ReleaseFn ClientClose;
        public readonly CancelFn ClientCancel;
        public readonly DeadlineFn ClientSetDeadline;
        public readonly LastFailureFn ClientLastFailure;
        public readonly FindFn ServersFind;
        public readonly CountFn ServersCount;
        public readonly TextAtFn ServersName, ServersAddress, ServersHost;
        public readonly NumberAtFn ServersPort, ServersUc;
        public readonly ReleaseFn ServersFree;
        public readonly TicketGetFn TicketGet;
        public readonly TicketPutFn TicketPut;
        public readonly TicketRemoveFn TicketRemove;
        public readonly MachineIdFn MachineId;
        public readonly SetTraceFn SetTrace;
        public readonly ReleaseFn Free;

        static readonly object loading = new object();
        static Native api;

        /// <summary>The library's functions, loaded on first use; DllNotFoundException when no
        /// library file loads.</summary>
        public static Native Api
        {
            get
            {
                lock (loading)
                    return api ?? (api = new Native(Load()));
            }
        }

        Native(IntPtr library)
        {
            Version = Bind<VersionFn>(library, "tarn_version");
            ClientOpen = Bind<OpenFn>(library, "tarn_client_open");
            ClientClose = Bind<ReleaseFn>(library, "tarn_client_close");
            ClientCancel = Bind<CancelFn>(library, "tarn_client_cancel");
            ClientSetDeadline = Bind<DeadlineFn>(library, "tarn_client_set_deadline");
            ClientLastFailure = Bind<LastFailureFn>(library, "tarn_client_last_failure");
            ServersFind = Bind<FindFn>(library, "tarn_servers_find");
            ServersCount = Bind<CountFn>(library, "tarn_servers_count");
            ServersName = Bind<TextAtFn>(library, "tarn_servers_name");
            ServersAddress = Bind<TextAtFn>(library, "tarn_servers_address");
            ServersHost = Bind<TextAtFn>(library, "tarn_servers_host");
            ServersPort = Bind<NumberAtFn>(library, "tarn_servers_port");
            ServersUc = Bind<NumberAtFn>(library, "tarn_servers_uc");
            ServersFree = Bind<ReleaseFn>(library, "tarn_servers_free");
            TicketGet = Bind<TicketGetFn>(library, "tarn_ticket_get");
            TicketPut = Bind<TicketPutFn>(library, "tarn_ticket_put");
            TicketRemove = Bind<TicketRemoveFn>(library, "tarn_ticket_remove");
            MachineId = Bind<MachineIdFn>(library, "tarn_machine_id");
            SetTrace = Bind<SetTraceFn>(library, "tarn_set_trace");
            Free = Bind<ReleaseFn>(library, "tarn_free");
        }

        static bool OnWindows { get { return Environment.OSVersion.Platform == PlatformID.Win32NT; } }

        static IntPtr Load()
        {
            string name = OnWindows ? "TarnClient.dll" : "libTarnClient.so.1";
            var candidates = new List<string>();
            string named = Environment.GetEnvironmentVariable("TARNCLIENT_LIBRARY");
            if (!string.IsNullOrEmpty(named))
            {
                candidates.Add(named);
            }
            else
            {
                string folder = Path.GetDirectoryName(typeof(Native).Assembly.Location);
                if (!string.IsNullOrEmpty(folder) && File.Exists(Path.Combine(folder, name)))
                    candidates.Add(Path.Combine(folder, name));
                candidates.Add(name);
            }
            var tried = new List<string>();
            foreach (string candidate in candidates)
            {
                IntPtr library = OnWindows ? LoadLibraryW(candidate) : dlopen(candidate, RtldNow);
                if (library != IntPtr.Zero)
                    return library;
                tried.Add(candidate + ": " + (OnWindows ? "error " + Marshal.GetLastWin32Error() : Out(dlerror())));
            }
            throw new DllNotFoundException("cannot load the TarnClient library (set TARNCLIENT_LIBRARY to its file); " +
                                           "tried " + string.Join("; ", tried.ToArray()));
        }

        static T Bind<T>(IntPtr library, string function) where T : class
        {
            IntPtr entry = OnWindows ? GetProcAddress(library, function) : dlsym(library, function);
            if (entry == IntPtr.Zero)
                throw new EntryPointNotFoundException("the TarnClient library lacks " + function);
            return (T)(object)Marshal.GetDelegateForFunctionPointer(entry, typeof(T));
        }

        const int RtldNow = 2;
        [DllImport("libdl.so.2")] static extern IntPtr dlopen(string file, int mode);
        [DllImport("libdl.so.2")] static extern IntPtr dlsym(IntPtr library, string name);
        [DllImport("libdl.so.2")] static extern IntPtr dlerror();
        [DllImport("kernel32", CharSet = CharSet.Unicode, SetLastError = true)]
        static extern IntPtr LoadLibraryW(string file);
        [DllImport("kernel32", CharSet = CharSet.Ansi, ExactSpelling = true)]
        static extern IntPtr GetProcAddress(IntPtr library, string name);

        // A text for the library: UTF-8 with its terminator; null stays null.
        public static byte[] In(string text)
        {
            if (text == null)
                return null;
            if (text.IndexOf('\0') >= 0)
                throw new ArgumentException("a text for the library holds a NUL character");
            return Encoding.UTF8.GetBytes(text + "\0");
        }

        // A text from the library; "" for none.
        public static string Out(IntPtr text)
        {
            if (text == IntPtr.Zero)
                return "";
            int length = 0;
            while (Marshal.ReadByte(text, length) != 0)
                ++length;
            var data = new byte[length];
            Marshal.Copy(text, data, 0, length);
            return Encoding.UTF8.GetString(data);
        }

        // A text the library copies into a buffer and whose full length it returns, so that a second
        // call gets one longer than the first buffer; null with the code when it fails.
        public static string Copied(Func<byte[], uint, int> fill, out int code)
        {
            var buffer = new byte[256];
            while (true)
            {
                code = fill(buffer, (uint)buffer.Length);
                if (code < 0)
                    return null;
                if (code < buffer.Length)
                    return Encoding.UTF8.GetString(buffer, 0, code);
                buffer = new byte[code + 1];
            }
        }
    }
}
