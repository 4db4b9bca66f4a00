// The servers of a product, and a ticket: the C# binding.
using System;
using Tarn;

static class ListServers
{
    static void Main(string[] args)
    {
        using (var client = new TarnClient(args.Length > 0 ? args[0] : null)) // null: the configured server
        {
            foreach (Server server in client.FindServers("TARNQUEST", "game"))
                Console.WriteLine("{0} {1} uc={2}", server.Name, server.Address, server.Uc);
            string ticket = client.GetTicket("TARNQUEST", "launch", login =>
            {
                login.PublicName = "alice"; // a real host asks its user
                login.Password = "wonderland1";
                return true;
            });
            Console.WriteLine("ticket: " + ticket);
        }
    }
}
