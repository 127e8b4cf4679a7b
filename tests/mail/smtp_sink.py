#!/usr/bin/python3
"""Loopback SMTP sink for the mail tests.

Usage: smtp_sink.py OUTDIR. Listens on 127.0.0.1 on a free port, prints "PORT n" (or "SKIP
reason" when the SMTP server module is missing) and stores each message it receives, parsed
by Python's email package, in OUTDIR/msgN/:
  envelope   MAIL FROM, then one RCPT TO per line
  raw        the message as received
  subject    the decoded Subject (UTF-8)
  to         the To header, its bytes read as CP932 (UTF-8)
  parts      one line per leaf part: content type, TAB, name parameter read as CP932
  partK      the decoded content of leaf part K: text/plain read as CP932 and stored as
             UTF-8, anything else as the decoded bytes
  defects    the number of defects the parser found
Exits when its standard input closes.
"""
import asyncio
import email
import email.message
import os
import sys
from email import policy
from email.header import decode_header, make_header


def raw_header(message, name):
    """A header's value as it came, its bytes read as CP932; empty when absent."""
    for key, value in message.raw_items():
        if key.lower() == name.lower():
            return value.encode("ascii", "surrogateescape").decode("cp932")
    return ""


def name_parameter(part):
    """The name= parameter of the part's Content-Type, read as CP932."""
    holder = email.message.Message()
    holder["Content-Type"] = raw_header(part, "Content-Type")
    return holder.get_param("name") or ""


class Sink:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0

    def write(self, folder, name, data):
        mode = "wb" if isinstance(data, bytes) else "w"
        kwargs = {} if isinstance(data, bytes) else {"encoding": "utf-8", "newline": ""}
        with open(os.path.join(folder, name), mode, **kwargs) as f:
            f.write(data)

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        folder = os.path.join(self.outdir, "msg%d" % self.count)
        os.mkdir(folder)
        self.write(folder, "envelope", "\n".join([envelope.mail_from] + envelope.rcpt_tos))
        self.write(folder, "raw", envelope.content)
        msg = email.message_from_bytes(envelope.content, policy=policy.compat32)
        self.write(folder, "subject", str(make_header(decode_header(msg["Subject"] or ""))))
        self.write(folder, "to", raw_header(msg, "To"))
        defects = len(msg.defects)
        lines = []
        for part in msg.walk():
            defects += len(part.defects)
            if part.is_multipart():
                continue
            lines.append("%s\t%s" % (part.get_content_type(), name_parameter(part)))
            payload = part.get_payload(decode=True)
            if part.get_content_type() == "text/plain":
                payload = payload.decode("cp932")
            self.write(folder, "part%d" % (len(lines) - 1), payload)
        self.write(folder, "parts", "\n".join(lines))
        self.write(folder, "defects", str(defects))
        return "250 stored"


async def serve(outdir):
    from aiosmtpd.smtp import SMTP

    loop = asyncio.get_running_loop()
    sink = Sink(outdir)
    server = await loop.create_server(
        lambda: SMTP(sink, hostname="sink.test", ident="loopback sink"), "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.buffer.read)
    server.close()
    await server.wait_closed()


def main():
    try:
        import aiosmtpd.smtp  # noqa: F401
    except ImportError:
        print("SKIP the Debian package python3-aiosmtpd is not installed", flush=True)
        return 0
    asyncio.run(serve(sys.argv[1]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
