"""A standard FTP server for the compatibility test of the FTP client.

Usage: ftp_test_server.py ROOT COMMAND_LOG BANNER
Serves ROOT on 127.0.0.1 (any free port) to user "admin", password "admin",
prints the port on stdout, and appends every command it receives to
COMMAND_LOG, one per line.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, command_log, banner = sys.argv[1], sys.argv[2], sys.argv[3]
    logging.basicConfig(level=logging.CRITICAL)

    class Handler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            with open(command_log, "a", encoding="utf-8", errors="replace") as log:
                log.write(line + "\n")
            super().pre_process_command(line, cmd, arg)

    Handler.banner = banner
    Handler.auth_failed_timeout = 0  # no pause after a wrong password
    authorizer = DummyAuthorizer()
    authorizer.add_user("admin", "admin", root, perm="elradfmwMT")
    Handler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", 0), Handler)
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
