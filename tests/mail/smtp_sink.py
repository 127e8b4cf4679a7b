#!/usr/bin/python3
"""Loopback SMTP sink for the mail tests.

Usage: smtp_sink.py OUTDIR [--starttls | --tls] [--auth USER:PASSWORD] [--login-only]
                     [--cert-name SAN] [--certificates]
Listens on 127.0.0.1 on a free port, prints "PORT n" (or "SKIP reason" when the SMTP server
module or the openssl command is missing) and stores each message it receives, parsed by
Python's email package, in OUTDIR/msgN/:
  envelope   MAIL FROM, then one RCPT TO per line
  raw        the message as received
  subject    the decoded Subject (UTF-8)
  to         the To header, its bytes read as CP932 (UTF-8)
  parts      one line per leaf part: content type, TAB, name parameter read as CP932
  partK      the decoded content of leaf part K: text/plain read as CP932 and stored as
             UTF-8, anything else as the decoded bytes
  charset    the charset parameter of the first text/plain part
  defects    the number of defects the parser found
Everything the clients send (after TLS is set up: what they send inside it) is appended to
OUTDIR/received.

--starttls offers STARTTLS and refuses mail before it; --tls speaks TLS from the first byte.
Both use a certificate authority made for the run (OUTDIR/ca.pem) and a server certificate
whose subjectAltName is --cert-name (default IP:127.0.0.1). --auth requires a login with
these credentials (offered without TLS too when neither TLS option is given); --login-only
offers AUTH LOGIN alone. --certificates makes the certificates without offering TLS.
Exits when its standard input closes.
"""
import argparse
import asyncio
import email
import email.message
import logging
import os
import shutil
import ssl
import subprocess
import sys
import warnings
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
        charset = ""
        for part in msg.walk():
            defects += len(part.defects)
            if part.is_multipart():
                continue
            lines.append("%s\t%s" % (part.get_content_type(), name_parameter(part)))
            payload = part.get_payload(decode=True)
            if part.get_content_type() == "text/plain":
                charset = charset or (part.get_param("charset") or "")
                payload = payload.decode("cp932")
            self.write(folder, "part%d" % (len(lines) - 1), payload)
        self.write(folder, "parts", "\n".join(lines))
        self.write(folder, "charset", charset)
        self.write(folder, "defects", str(defects))
        return "250 stored"


def make_certificates(outdir, san):
    """A certificate authority and a server certificate it signed, valid for a day."""
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=outdir, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    curve = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *curve, "-keyout", "ca.key", "-out", "ca.pem", "-days", "1",
            "-subj", "/CN=Loopback test authority",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("req", *curve, "-keyout", "server.key", "-out", "server.csr",
            "-subj", "/CN=loopback sink")
    with open(os.path.join(outdir, "server.ext"), "w") as f:
        f.write("subjectAltName=%s\nextendedKeyUsage=serverAuth\n" % san)
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", "1", "-extfile", "server.ext", "-out", "server.pem")
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(os.path.join(outdir, "server.pem"),
                            os.path.join(outdir, "server.key"))
    return context


def protocol_class(outdir):
    from aiosmtpd.smtp import SMTP

    class RecordingSMTP(SMTP):
        def data_received(self, data):
            with open(os.path.join(outdir, "received"), "ab") as f:
                f.write(data)
            super().data_received(data)

    return RecordingSMTP


async def serve(options):
    from aiosmtpd.smtp import AuthResult

    outdir = options.outdir
    context = None
    if options.starttls or options.tls or options.certificates:
        context = make_certificates(outdir, options.cert_name)
    kwargs = {}
    if options.auth:
        user, _, password = options.auth.partition(":")

        def authenticator(server, session, envelope, mechanism, data):
            ok = data.login == user.encode() and data.password == password.encode()
            return AuthResult(success=ok, handled=False)

        kwargs.update(authenticator=authenticator, auth_required=True,
                      auth_require_tls=options.starttls)
        if options.login_only:
            kwargs["auth_exclude_mechanism"] = ["PLAIN"]
    if options.starttls:
        kwargs.update(tls_context=context, require_starttls=True)
    smtp = protocol_class(outdir)
    loop = asyncio.get_running_loop()
    sink = Sink(outdir)
    server = await loop.create_server(
        lambda: smtp(sink, hostname="sink.test", ident="loopback sink", **kwargs),
        "127.0.0.1", 0, ssl=context if options.tls else None)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.buffer.read)
    server.close()
    await server.wait_closed()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--auth")
    parser.add_argument("--login-only", action="store_true")
    parser.add_argument("--cert-name", default="IP:127.0.0.1")
    parser.add_argument("--certificates", action="store_true")
    options = parser.parse_args()
    # Refused handshakes and logins are what the tests are after, not news.
    logging.disable(logging.CRITICAL)
    warnings.simplefilter("ignore")
    try:
        import aiosmtpd.smtp  # noqa: F401
    except ImportError:
        print("SKIP the Debian package python3-aiosmtpd is not installed", flush=True)
        return 0
    if (options.starttls or options.tls or options.certificates) and not shutil.which("openssl"):
        print("SKIP the Debian package openssl is not installed", flush=True)
        return 0
    asyncio.run(serve(options))
    return 0


if __name__ == "__main__":
    sys.exit(main())
