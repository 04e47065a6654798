#!/usr/bin/python3
"""An SMTP server on loopback for the mail tests (aiosmtpd).

Prints "PORT <n>" once it listens, then serves until it is terminated. Each message it
takes is written to the folder as a folder mail-<n> of small files: the envelope,
whether the session was encrypted and logged in, the raw message, its headers and its
parts as Python's e-mail package reads them (part-<i>.type, .charset, .filename,
.payload with the decoded bytes).

Modes: plain (no TLS, no login), starttls (STARTTLS offered, login required over TLS),
implicit (TLS from the start, login required), stall (greets, then never answers),
close (greets, reads EHLO and closes), silent (accepts and says nothing), oddauth (asks
a login question that is neither user name nor password), helo (refuses EHLO, takes HELO
and a message), refuse (greets with 554). The raw modes write the lines they were sent
to lines.txt.
"""
import argparse
import asyncio
import email
import email.policy
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, folder, refused):
        self.folder = folder
        self.refused = set(refused)
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.refused:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        raw = envelope.original_content or envelope.content
        message = email.message_from_bytes(raw, policy=email.policy.default)
        files = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": "\n".join(envelope.rcpt_tos),
            "tls": "1" if server.transport.get_extra_info("ssl_object") is not None else "0",
            "authenticated": "1" if session.authenticated else "0",
            "subject": str(message.get("Subject", "")),
            "from": str(message.get("From", "")),
            "to": str(message.get("To", "")),
            "date": str(message.get("Date", "")),
            "defects": "\n".join(str(d) for d in message.defects),
        }
        # The mailboxes of the address headers as Python reads them: "name|address" lines.
        for header in ("to", "from"):
            value = message.get(header)
            addresses = getattr(value, "addresses", ()) if value is not None else ()
            files[header + "_addresses"] = "\n".join("%s|%s" % (a.display_name, a.addr_spec) for a in addresses)
        index = 0
        for part in message.walk():
            if part.is_multipart():
                continue
            index += 1
            files["part-%d.type" % index] = part.get_content_type()
            files["part-%d.charset" % index] = part.get_content_charset() or ""
            files["part-%d.filename" % index] = part.get_filename() or ""
            files["part-%d.payload" % index] = part.get_payload(decode=True) or b""
        files["parts"] = str(index)
        files["raw"] = raw
        folder = os.path.join(self.folder, "mail-%d" % self.count)
        os.makedirs(folder + ".tmp")
        for name, value in files.items():
            data = value if isinstance(value, bytes) else value.encode("utf-8")
            with open(os.path.join(folder + ".tmp", name), "wb") as out:
                out.write(data)
        os.rename(folder + ".tmp", folder)
        return "250 Message accepted for delivery"


def authenticator(user, password):
    def check(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
              and auth_data.password == password.encode())
        return AuthResult(success=ok, handled=False)
    return check


async def odd_login(reader, writer, folder):
    replies = {b"EHLO": b"250-odd.test\r\n250 AUTH LOGIN\r\n", b"AUTH": b"334 V2hhdD8=\r\n",
               b"*": b"501 5.7.0 Login cancelled\r\n", b"MAIL": b"530 5.7.0 Authentication required\r\n",
               b"QUIT": b"221 Bye\r\n"}
    writer.write(b"220 odd.test ESMTP\r\n")
    await writer.drain()
    with open(os.path.join(folder, "lines.txt"), "ab") as log:
        while True:
            line = await reader.readline()
            if not line:
                break
            log.write(line)
            log.flush()
            word = line.split()[0] if line.split() else b""
            writer.write(replies.get(word.upper(), b"500 What?\r\n"))
            await writer.drain()
            if word.upper() == b"QUIT":
                break
    writer.close()


async def old_smtp(reader, writer, folder):
    replies = {b"EHLO": b"500 Command not recognized\r\n", b"HELO": b"250 old.test\r\n",
               b"MAIL": b"250 OK\r\n", b"RCPT": b"250 OK\r\n", b"DATA": b"354 End with .\r\n",
               b"QUIT": b"221 Bye\r\n"}
    writer.write(b"220 old.test SMTP\r\n")
    await writer.drain()
    with open(os.path.join(folder, "lines.txt"), "ab") as log:
        in_data = False
        while True:
            line = await reader.readline()
            if not line:
                break
            log.write(line)
            log.flush()
            if in_data:
                if line == b".\r\n":
                    in_data = False
                    writer.write(b"250 Queued\r\n")
                    await writer.drain()
                continue
            word = line.split()[0].upper() if line.split() else b""
            writer.write(replies.get(word, b"500 What?\r\n"))
            await writer.drain()
            in_data = word == b"DATA"
            if word == b"QUIT":
                break
    writer.close()


async def raw_server(mode, folder):
    async def serve(reader, writer):
        if mode == "oddauth":
            await odd_login(reader, writer, folder)
            return
        if mode == "helo":
            await old_smtp(reader, writer, folder)
            return
        if mode == "refuse":
            writer.write(b"554 No SMTP service here\r\n")
            await writer.drain()
            await reader.readline()
            writer.close()
            return
        if mode != "silent":
            writer.write(b"220 stalling.test ESMTP\r\n")
            await writer.drain()
        if mode == "close":
            await reader.readline()
            writer.close()
            return
        await asyncio.sleep(3600)

    return await asyncio.start_server(serve, "127.0.0.1", 0)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", default="plain")
    parser.add_argument("--folder", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--refuse", action="append", default=[])
    args = parser.parse_args()

    if args.mode in ("stall", "close", "silent", "oddauth", "helo", "refuse"):
        server = await raw_server(args.mode, args.folder)
    else:
        context = None
        if args.cert:
            context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            context.load_cert_chain(args.cert, args.key)
        handler = Saver(args.folder, args.refuse)
        kwargs = {"hostname": "mail.test"}
        if args.user:
            # On a plain server the login is allowed without TLS, for clients told to; the
            # server does not know that an implicit TLS connection is encrypted.
            kwargs.update(authenticator=authenticator(args.user, args.password), auth_required=True,
                          auth_require_tls=args.mode == "starttls")
        if args.mode == "starttls":
            kwargs["tls_context"] = context
        loop = asyncio.get_running_loop()
        server = await loop.create_server(lambda: SMTP(handler, loop=loop, **kwargs), "127.0.0.1", 0,
                                          ssl=context if args.mode == "implicit" else None)
    port = server.sockets[0].getsockname()[1]
    print("PORT %d" % port, flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
