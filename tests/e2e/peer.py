#!/usr/bin/env python3
"""A scripted peer, written only from the wire format: UDP port 50319, text in
code page 932. Runs inside a network namespace and takes one JSON command per
line on stdin, answering one JSON line on stdout."""
import json
import select
import socket
import sys
import time

PORT = 50319
SO_RCVBUFFORCE = 33


def make_socket(bind_port):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    try:
        s.setsockopt(socket.SOL_SOCKET, SO_RCVBUFFORCE, 8 << 20)
    except OSError:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
    s.bind(("0.0.0.0", bind_port))
    return s


def main():
    sock = None
    for line in sys.stdin:
        cmd = json.loads(line)
        op = cmd["op"]
        out = {}
        if op == "bind":
            sock = make_socket(cmd.get("port", PORT))
        elif op == "send":
            sock.sendto(bytes.fromhex(cmd["data"]), (cmd["to"], PORT))
        elif op == "recv":
            ready, _, _ = select.select([sock], [], [], cmd.get("timeout", 5))
            if ready:
                data, (src, _) = sock.recvfrom(65536)
                out = {"src": src, "data": data.hex()}
            else:
                out = {"timeout": True}
        elif op == "burst":
            # Send count datagrams back to back, then count the answers
            # until none has come for quiet seconds. Every slice datagrams a
            # breath of a millisecond lets the virtual wire's own queue (1000
            # packets) drain, so what is measured is the copy, not the bridge.
            data = bytes.fromhex(cmd["data"])
            replies = 0
            slice_ = cmd.get("slice", 250)
            for i in range(cmd["count"]):
                sock.sendto(data, (cmd["to"], PORT))
                if (i + 1) % slice_ == 0:
                    time.sleep(0.001)
            while True:
                ready, _, _ = select.select([sock], [], [], cmd.get("quiet", 3))
                if not ready:
                    break
                sock.recvfrom(65536)
                replies += 1
            out = {"replies": replies}
        elif op == "drain":
            got = []
            deadline = time.time() + cmd.get("timeout", 1)
            while True:
                left = deadline - time.time()
                if left <= 0:
                    break
                ready, _, _ = select.select([sock], [], [], left)
                if not ready:
                    break
                data, (src, _) = sock.recvfrom(65536)
                got.append({"src": src, "data": data.hex()})
            out = {"datagrams": got}
        elif op == "quit":
            break
        print(json.dumps(out), flush=True)


if __name__ == "__main__":
    main()
