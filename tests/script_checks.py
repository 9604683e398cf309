"""What the Python test scripts share: named checks that print ok/FAIL and
are counted, and a free loopback port."""

import socket

failures = []


def check(condition, what, detail=""):
    print("%s %s" % ("ok  " if condition else "FAIL", what))
    if not condition:
        failures.append(what)
        if detail:
            print("  " + str(detail)[:2000].replace("\n", "\n  "))


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port
