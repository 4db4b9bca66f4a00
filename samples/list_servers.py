"""The servers of a product, and a ticket: the Python binding."""
import sys

import tarnclient


def ask(login: tarnclient.Login) -> tarnclient.Login:
    login.public_name, login.password = "alice", "wonderland1"  # a real host asks its user
    return login


with tarnclient.Client(sys.argv[1] if len(sys.argv) > 1 else None) as client:  # None: the configured server
    for server in client.servers("TARNQUEST", "game"):
        print(server.name, server.address, f"uc={server.uc}")
    print("ticket:", client.ticket("TARNQUEST", "launch", ask))
