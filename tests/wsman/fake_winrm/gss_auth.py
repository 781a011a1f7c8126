"""The fake WinRM server's GSS-API side: one connection's acceptor context (SPNEGO with
Kerberos or NTLM inside, or raw Kerberos) and the multipart/encrypted bodies WinRM uses
for message encryption over HTTP.

The acceptor takes its default credentials from the environment: KRB5_KTNAME (the
HTTP/localhost keytab), KRB5_CONFIG and NTLM_USER_FILE (gss-ntlmssp's users)."""
import hashlib
import re
import ssl
import struct

import gssapi
import gssapi.raw as graw

SPNEGO = gssapi.OID.from_int_seq('1.3.6.1.5.5.2')
KRB5 = gssapi.OID.from_int_seq('1.2.840.113554.1.2.2')
NTLM = gssapi.OID.from_int_seq('1.3.6.1.4.1.311.2.2.10')
SCHEMES = ('Negotiate', 'Kerberos')
PROTOCOLS = {'Negotiate': 'application/HTTP-SPNEGO-session-encrypted',
             'Kerberos': 'application/HTTP-Kerberos-session-encrypted'}
BOUNDARY = b'Encrypted Boundary'
NTLM_SIGNATURE = 16


class AuthFailed(Exception):
    """The client's token was refused; the message is GSS-API's own."""


class BadFrame(Exception):
    """An encrypted body that cannot be read or does not decrypt to its stated length."""


def tls_bindings(cert_file):
    """tls-server-end-point channel bindings of a PEM certificate (SHA-256 of its DER)."""
    with open(cert_file, encoding='ascii') as f:
        der = ssl.PEM_cert_to_DER_cert(f.read())
    return graw.ChannelBindings(application_data=b'tls-server-end-point:' + hashlib.sha256(der).digest())


class Session:
    """The security context of one keep-alive connection."""

    def __init__(self, scheme, bindings=None, require_bindings=False):
        self.scheme = scheme
        self.require_bindings = require_bindings
        # The Kerberos scheme carries raw krb5 tokens only; Negotiate takes SPNEGO and,
        # as Windows does, a bare Kerberos or NTLM token too.
        creds = gssapi.Credentials(usage='accept', mechs=[KRB5]) if scheme == 'Kerberos' else None
        self.ctx = gssapi.SecurityContext(creds=creds, usage='accept', channel_bindings=bindings)

    @property
    def complete(self):
        return self.ctx.complete

    @property
    def mech(self):
        if not self.ctx.complete:
            return None
        return {KRB5: 'kerberos', NTLM: 'ntlm'}.get(self.ctx.mech, str(self.ctx.mech))

    def step(self, token):
        """Feeds one client token; returns the answer token (or None)."""
        try:
            out = self.ctx.step(token)
            # python-gssapi raises a failed step's error again from the context's properties.
            complete = self.ctx.complete
        except gssapi.exceptions.GSSError as e:
            raise AuthFailed(str(e)) from e
        if complete:
            if self.scheme == 'Kerberos' and self.ctx.mech != KRB5:
                raise AuthFailed('the Kerberos scheme needs a Kerberos token')
            if self.require_bindings and gssapi.RequirementFlag.channel_bound not in self.ctx.actual_flags:
                raise AuthFailed('the client sent no channel bindings')
        return out

    def seal(self, data):
        """Encrypts data; returns (header, sealed data) as framed on the wire."""
        if self.ctx.mech == KRB5:
            iov = graw.IOV(graw.IOVBufferType.header, data, graw.IOVBufferType.padding, std_layout=False)
            graw.wrap_iov(self.ctx, iov, confidential=True)
            return iov[0].value, iov[1].value + (iov[2].value or b'')
        wrapped = self.ctx.wrap(data, True).message
        return wrapped[:NTLM_SIGNATURE], wrapped[NTLM_SIGNATURE:]

    def unseal(self, header, sealed):
        if self.ctx.mech == KRB5:
            iov = graw.IOV(graw.IOVBufferType.header, b'x' * max(len(sealed), 1), graw.IOVBufferType.padding,
                           std_layout=False)
            graw.wrap_iov_length(self.ctx, iov, confidential=True)
            if len(header) != len(iov[0].value or b''):
                raise BadFrame('a Kerberos header of %d bytes, %d expected' % (len(header), len(iov[0].value)))
        elif len(header) != NTLM_SIGNATURE:
            raise BadFrame('an NTLM signature of %d bytes' % len(header))
        try:
            result = self.ctx.unwrap(header + sealed)
        except gssapi.exceptions.GSSError as e:
            raise BadFrame(str(e)) from e
        if not result.encrypted:
            raise BadFrame('the data was signed but not sealed')
        return result.message


def frame(session, data, content_type, tamper=False, length_delta=0):
    """An encrypted body for data; returns (body, Content-Type). tamper flips a byte of the
    sealed data; length_delta misstates the plain length."""
    protocol = PROTOCOLS[session.scheme].encode()
    header, sealed = session.seal(data)
    if tamper and sealed:
        middle = len(sealed) // 2
        sealed = sealed[:middle] + bytes([sealed[middle] ^ 0x01]) + sealed[middle + 1:]
    body = (b'--' + BOUNDARY + b'\r\n'
            b'\tContent-Type: ' + protocol + b'\r\n'
            b'\tOriginalContent: type=' + content_type.encode() + b';Length=%d\r\n' % (len(data) + length_delta)
            + b'--' + BOUNDARY + b'\r\n'
            b'\tContent-Type: application/octet-stream\r\n'
            + struct.pack('<I', len(header)) + header + sealed
            + b'--' + BOUNDARY + b'--\r\n')
    content = 'multipart/encrypted;protocol="%s";boundary="%s"' % (protocol.decode(), BOUNDARY.decode())
    return body, content


def content_parameter(content_type, name):
    m = re.search(r';\s*%s\s*=\s*("([^"]*)"|[^;\s]*)' % name, content_type, re.I)
    if m is None:
        return None
    return m.group(2) if m.group(2) is not None else m.group(1)


def is_encrypted(content_type):
    return content_type.split(';', 1)[0].strip().lower() == 'multipart/encrypted'


def unframe(session, body, content_type):
    """The plain bytes of an encrypted request body; raises BadFrame."""
    protocol = content_parameter(content_type, 'protocol')
    if protocol is None or protocol.lower() != PROTOCOLS[session.scheme].lower():
        raise BadFrame('protocol %r on a %s session' % (protocol, session.scheme))
    boundary = (content_parameter(content_type, 'boundary') or '').encode()
    if not boundary:
        raise BadFrame('no boundary')
    start, end = b'--' + boundary + b'\r\n', b'--' + boundary + b'--'
    if not body.startswith(start):
        raise BadFrame('the body does not open with the boundary')
    second = body.find(start, len(start))
    last = body.rfind(end)
    if second < 0 or last < second:
        raise BadFrame('two parts expected')
    headers = body[len(start):second].decode('latin-1')
    m = re.search(r'Length\s*=\s*(\d+)', headers)
    if re.search(r'Content-Type:\s*' + re.escape(protocol), headers, re.I) is None or m is None:
        raise BadFrame('the first part does not name the protocol and the length')
    payload = body[second + len(start):last]
    octet = re.match(rb'[ \t]*Content-Type:[ \t]*application/octet-stream\r\n', payload, re.I)
    if octet is None:
        raise BadFrame('the second part is not application/octet-stream')
    payload = payload[octet.end():]
    if len(payload) < 4:
        raise BadFrame('no header length')
    header_length = struct.unpack('<I', payload[:4])[0]
    if header_length > len(payload) - 4:
        raise BadFrame('the header length exceeds the data')
    plain = session.unseal(payload[4:4 + header_length], payload[4 + header_length:])
    if len(plain) != int(m.group(1)):
        raise BadFrame('Length=%s but %d bytes decrypted' % (m.group(1), len(plain)))
    return plain
