#!/usr/bin/env python3
"""A small tarn in Python: a product's servers, a login ticket, this
computer's identifier.

    tarn.py [--server HOST:PORT] servers PRODUCT CATEGORY [NAME] [--att1 VALUE]
    tarn.py [--server HOST:PORT] ticket PRODUCT EVENT [CONTEXT-ID]
    tarn.py machine-id

Without --server, the configured server. Ctrl-C stops a call that waits for
the server. Exit status: 0 done, 1 nothing found or no login, 3 refused by
the server, 4 failed, 130 stopped.
"""
import argparse
import getpass
import signal
import sys
import threading

import tarnclient


def ask(login):
    """The login prompt: Enter keeps the proposed name; no name, or the end
    of the input, gives up."""
    try:
        login.public_name = input(f"public name [{login.public_name}]: ").strip() or login.public_name
        if not login.public_name:
            return None
        login.password = getpass.getpass("password: ") if sys.stdin.isatty() else input("password: ")
        return login
    except EOFError:
        return None


def report(code):
    print(f"the server refused the login with code {code}", file=sys.stderr)


def cancellable(client, call):
    """Runs call on a thread of its own, so that Ctrl-C here can cancel it."""
    outcome = {}

    def run():
        try:
            outcome["result"] = call()
        except BaseException as error:
            outcome["error"] = error

    worker = threading.Thread(target=run)
    signal.signal(signal.SIGINT, lambda *_: client.cancel())
    worker.start()
    worker.join()
    if "error" in outcome:
        raise outcome["error"]
    return outcome["result"]


def main():
    parser = argparse.ArgumentParser(description="Tarn servers and login tickets")
    parser.add_argument("--server", help="HOST:PORT of the address server (default: the configured one)")
    commands = parser.add_subparsers(dest="command", required=True)
    servers = commands.add_parser("servers", help="list a product's servers")
    servers.add_argument("product")
    servers.add_argument("category")
    servers.add_argument("name", nargs="?", default="any")
    servers.add_argument("--att1")
    ticket = commands.add_parser("ticket", help="get a login ticket")
    ticket.add_argument("product")
    ticket.add_argument("event")
    ticket.add_argument("context_id", nargs="?", help="a context id to exchange instead of a login")
    commands.add_parser("machine-id", help="print this computer's identifier")
    args = parser.parse_args()

    if args.command == "machine-id":
        print(tarnclient.machine_id())
        return 0
    try:
        with tarnclient.Client(args.server) as client:
            if args.command == "servers":
                found = cancellable(client, lambda: client.servers(args.product, args.category, args.name, args.att1))
                for server in found:
                    print(f"{server.name:<12} {server.address:<22} uc={server.uc}")
                return 0 if found else 1
            key = cancellable(client, lambda: client.ticket(args.product, args.event, ask, report=report,
                                                            context_id=args.context_id))
            if key is None:
                return 1
            print(key)
            return 0
    except tarnclient.TarnError as error:
        print(f"tarn.py: {error.cause}", file=sys.stderr)
        return {tarnclient.FailureKind.REFUSED: 3, tarnclient.FailureKind.CANCELLED: 130}.get(error.kind, 4)


if __name__ == "__main__":
    sys.exit(main())
