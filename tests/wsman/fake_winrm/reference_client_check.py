#!/usr/bin/python3
"""Runs clients that no one here wrote against the fake WinRM server, so its authentication
and message encryption stay true to the protocol: python3-winrm (NTLM, sealed bodies,
channel bindings over HTTPS) and MIT Kerberos through python3-gssapi.

Starts kdc.py and server.py in a temporary folder, stops them by pid, prints one line per
check and a closing `N passed, N failed`; exits 0 only if all passed."""
import base64
import hashlib
import http.client
import os
import re
import ssl
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = '/usr/bin/python3'
USER, PASSWORD = 'alice', 'Secret1'
ENUMERATE = """<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"
 xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing"
 xmlns:n="http://schemas.xmlsoap.org/ws/2004/09/enumeration"
 xmlns:w="http://schemas.dmtf.org/wbem/wsman/1/wsman.xsd"><s:Header>
<a:To>http://127.0.0.1/wsman</a:To>
<w:ResourceURI s:mustUnderstand="true">http://schemas.microsoft.com/wbem/wsman/1/wmi/root/cimv2/*</w:ResourceURI>
<a:ReplyTo><a:Address s:mustUnderstand="true">http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</a:Address></a:ReplyTo>
<a:Action s:mustUnderstand="true">http://schemas.xmlsoap.org/ws/2004/09/enumeration/Enumerate</a:Action>
<w:MaxEnvelopeSize s:mustUnderstand="true">512000</w:MaxEnvelopeSize>
<a:MessageID>uuid:6A1E9B3C-0F4D-4E7A-9C55-2B8D17E3A0F1</a:MessageID>
<w:Locale xml:lang="en-US" s:mustUnderstand="false"/>
<w:OperationTimeout>PT60.000S</w:OperationTimeout>
</s:Header><s:Body><n:Enumerate><w:OptimizeEnumeration/><w:MaxElements>32000</w:MaxElements>
<w:Filter Dialect="http://schemas.microsoft.com/wbem/wsman/1/WQL">SELECT * FROM Win32_Process</w:Filter>
<w:EnumerationMode>EnumerateObjectAndEPR</w:EnumerationMode></n:Enumerate></s:Body></s:Envelope>""".encode()

if os.environ.get('OPENSSL_CONF') != os.path.join(HERE, 'openssl-legacy.cnf'):
    # python3-winrm's NTLM needs MD4, which OpenSSL 3 keeps in its legacy provider; the
    # configuration is read when OpenSSL starts, so the check starts again with it.
    os.environ['OPENSSL_CONF'] = os.path.join(HERE, 'openssl-legacy.cnf')
    os.execv(PYTHON, [PYTHON] + sys.argv)

import gssapi  # noqa: E402
import gssapi.raw as graw  # noqa: E402
import winrm  # noqa: E402
import winrm.exceptions  # noqa: E402

SPNEGO = gssapi.OID.from_int_seq('1.3.6.1.5.5.2')
KRB5 = gssapi.OID.from_int_seq('1.2.840.113554.1.2.2')
NTLM = gssapi.OID.from_int_seq('1.3.6.1.4.1.311.2.2.10')
PROTOCOLS = {'Negotiate': 'application/HTTP-SPNEGO-session-encrypted',
             'Kerberos': 'application/HTTP-Kerberos-session-encrypted'}


class Refused(Exception):
    """The server answered 401 at the end of the handshake."""


def start(args, env):
    """Starts a helper that prints `PORT <n>` when ready; returns (process, port)."""
    process = subprocess.Popen([PYTHON] + args, env=env, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
    line = process.stdout.readline().decode()
    m = re.match(r'PORT (\d+)', line)
    if m is None:
        stop(process)
        raise RuntimeError('%s did not start' % args[0])
    return process, int(m.group(1))


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def process_items(xml):
    """Win32_Process instances in an Enumerate answer."""
    root = ET.fromstring(xml)
    return [e for e in root.iter() if e.tag.split('}')[-1] == 'Win32_Process']


class GssClient:
    """A WinRM client written against GSS-API directly: a Kerberos or NTLM handshake on
    one connection, then sealed or plain SOAP bodies."""

    def __init__(self, connection, scheme, bindings=None, inner=KRB5):
        self.connection, self.scheme, self.inner = connection, scheme, inner
        mech = SPNEGO if scheme == 'Negotiate' else KRB5
        user = '%s@VESKIN.TEST' % USER if inner == KRB5 else 'VESKIN\\' + USER
        name = gssapi.Name(user, gssapi.NameType.user)
        creds = gssapi.Credentials(graw.acquire_cred_with_password(name, PASSWORD.encode(), usage='initiate',
                                                                  mechs=[mech]).creds)
        if mech == SPNEGO:
            graw.set_neg_mechs(creds, [inner])
        flags = (gssapi.RequirementFlag.mutual_authentication | gssapi.RequirementFlag.confidentiality
                 | gssapi.RequirementFlag.integrity)
        self.ctx = gssapi.SecurityContext(name=gssapi.Name('HTTP@localhost', gssapi.NameType.hostbased_service),
                                          creds=creds, mech=mech, flags=flags, usage='initiate',
                                          channel_bindings=bindings)

    def post(self, body, headers):
        self.connection.request('POST', '/wsman', body=body, headers=headers)
        response = self.connection.getresponse()
        return response, response.read()

    def authenticate(self):
        token = self.ctx.step()
        while True:
            auth = '%s %s' % (self.scheme, base64.b64encode(token).decode())
            response, _ = self.post(b'', {'Authorization': auth, 'Content-Length': '0'})
            offered = [v for k, v in response.getheaders() if k.lower() == 'www-authenticate']
            answer = next((v.split(' ', 1)[1] for v in offered if v.startswith(self.scheme + ' ')), None)
            if response.status == 401 and answer is None:
                raise Refused()
            if answer is not None:
                token = self.ctx.step(base64.b64decode(answer))
            if response.status == 200:
                if not self.ctx.complete:
                    raise AssertionError('200 before the client context completed')
                return
            if response.status != 401:
                raise AssertionError('HTTP %d during the handshake' % response.status)

    def seal(self, data):
        if self.inner == KRB5:
            iov = graw.IOV(graw.IOVBufferType.header, data, graw.IOVBufferType.padding, std_layout=False)
            graw.wrap_iov(self.ctx, iov, confidential=True)
            header, sealed = iov[0].value, iov[1].value + (iov[2].value or b'')
        else:
            wrapped = self.ctx.wrap(data, True).message
            header, sealed = wrapped[:16], wrapped[16:]
        protocol = PROTOCOLS[self.scheme].encode()
        body = (b'--Encrypted Boundary\r\n\tContent-Type: ' + protocol + b'\r\n'
                b'\tOriginalContent: type=application/soap+xml;charset=UTF-8;Length=%d\r\n' % len(data)
                + b'--Encrypted Boundary\r\n\tContent-Type: application/octet-stream\r\n'
                + struct.pack('<I', len(header)) + header + sealed + b'--Encrypted Boundary--\r\n')
        return body, 'multipart/encrypted;protocol="%s";boundary="Encrypted Boundary"' % PROTOCOLS[self.scheme]

    def unseal(self, body, content_type):
        if 'protocol="%s"' % PROTOCOLS[self.scheme] not in content_type:
            raise AssertionError('answer not sealed: %s' % content_type)
        first, second = body.split(b'--Encrypted Boundary\r\n')[1:3]
        length = int(re.search(rb'Length=(\d+)', first).group(1))
        payload = second[len(b'\tContent-Type: application/octet-stream\r\n'):-len(b'--Encrypted Boundary--\r\n')]
        size = struct.unpack('<I', payload[:4])[0]
        if size != (60 if self.inner == KRB5 else 16):
            raise AssertionError('a header of %d bytes' % size)
        plain = self.ctx.unwrap(payload[4:]).message
        if len(plain) != length:
            raise AssertionError('Length=%d but %d bytes' % (length, len(plain)))
        return plain

    def exchange(self, envelope, sealed=True):
        body, content_type = self.seal(envelope) if sealed else (envelope, 'application/soap+xml;charset=UTF-8')
        response, data = self.post(body, {'Content-Type': content_type})
        if response.status != 200:
            raise AssertionError('HTTP %d' % response.status)
        return self.unseal(data, response.getheader('Content-Type', '')) if sealed else data


class Check:
    def __init__(self, folder):
        self.folder = folder
        self.passed = self.failed = 0
        self.processes = []

    def run(self, name, function):
        try:
            function()
        except Exception:  # noqa: BLE001 (every failure is reported, the run goes on)
            self.failed += 1
            print('FAIL %s\n%s' % (name, traceback.format_exc()), flush=True)
        else:
            self.passed += 1
            print('ok   %s' % name, flush=True)

    def server(self, *options):
        process, port = start([os.path.join(HERE, 'server.py'), '--port', '0', '--negotiate'] + list(options),
                              self.env)
        self.processes.append(process)
        return port

    def setup(self):
        realm = os.path.join(self.folder, 'realm')
        kdc, _ = start([os.path.join(HERE, 'kdc.py'), realm], dict(os.environ))
        self.processes.append(kdc)
        users = os.path.join(self.folder, 'ntlm_users')
        with open(users, 'w', encoding='ascii') as f:
            f.write('VESKIN:%s:%s\n' % (USER, PASSWORD))
        subprocess.run([PYTHON, os.path.join(HERE, 'certs.py'), os.path.join(self.folder, 'certs')], check=True,
                       stdout=subprocess.DEVNULL)
        os.environ.update(KRB5_CONFIG=os.path.join(realm, 'krb5.conf'), KRB5CCNAME='MEMORY:reference-check')
        self.env = dict(os.environ, KRB5_KTNAME=os.path.join(realm, 'http.keytab'), NTLM_USER_FILE=users,
                        KRB5RCACHEDIR=self.folder)
        self.plain = self.server()
        self.faulty = self.server('--tamper-response', '1', '--bad-length', '2')
        self.trust = os.path.join(self.folder, 'certs', 'trusted.pem')
        tls = [os.path.join(self.folder, 'certs', 'good.' + e) for e in ('pem', 'key')]
        self.strict = self.server('--tls', tls[0], tls[1], '--channel-binding', 'strict')

    def stop(self):
        for process in reversed(self.processes):
            stop(process)


def pywinrm(port, password=PASSWORD, trust=None, **options):
    """python3-winrm with NTLM; trust (a PEM file) means HTTPS. REQUESTS_CA_BUNDLE would
    override server_cert_validation='ignore', so the certificate is trusted instead."""
    endpoint = '%s://127.0.0.1:%d/wsman' % ('https' if trust else 'http', port)
    return winrm.Protocol(endpoint, transport='ntlm', username='VESKIN\\' + USER, password=password,
                          ca_trust_path=trust, **options)


def expect_error(kind, function, text=None):
    try:
        function()
    except kind as e:
        if text and text not in str(e):
            raise AssertionError('%s without %r: %s' % (kind.__name__, text, e)) from e
        return
    raise AssertionError('%s expected' % kind.__name__)


def tls_connection(port):
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    connection = http.client.HTTPSConnection('127.0.0.1', port, context=context, timeout=30)
    connection.connect()
    digest = hashlib.sha256(connection.sock.getpeercert(binary_form=True)).digest()
    return connection, graw.ChannelBindings(application_data=b'tls-server-end-point:' + digest)


def main():
    with tempfile.TemporaryDirectory(prefix='veskin-reference-') as folder:
        check = Check(folder)
        try:
            check.setup()
            run_checks(check)
        finally:
            check.stop()
        print('%d passed, %d failed' % (check.passed, check.failed), flush=True)
        return 0 if check.failed == 0 and check.passed > 0 else 1


def run_checks(check):
    def ntlm_sealed_enumerate():
        answer = pywinrm(check.plain, message_encryption='always').transport.send_message(ENUMERATE)
        if not process_items(answer):
            raise AssertionError('no Win32_Process item in %r' % answer[:300])

    def ntlm_wrong_password():
        p = pywinrm(check.plain, password='Wrong1', message_encryption='always')
        expect_error(winrm.exceptions.InvalidCredentialsError, lambda: p.transport.send_message(ENUMERATE))

    def plain_body_refused_over_http():
        p = pywinrm(check.plain, message_encryption='never')
        expect_error(winrm.exceptions.InvalidCredentialsError, lambda: p.transport.send_message(ENUMERATE))

    def gss(scheme, inner=KRB5):
        def run():
            client = GssClient(http.client.HTTPConnection('127.0.0.1', check.plain, timeout=30), scheme, inner=inner)
            client.authenticate()
            for _ in range(2):  # the second message proves the sequence numbers stay in step
                if not process_items(client.exchange(ENUMERATE)):
                    raise AssertionError('no Win32_Process item')
        return run

    def fault_injection():
        # The server's first sealed answer has a flipped byte, its second a wrong Length=.
        p = pywinrm(check.faulty, message_encryption='always')
        expect_error(Exception, lambda: p.transport.send_message(ENUMERATE), 'signature')
        p = pywinrm(check.faulty, message_encryption='always')
        expect_error(winrm.exceptions.WinRMError, lambda: p.transport.send_message(ENUMERATE), 'expected size')
        if not process_items(pywinrm(check.faulty, message_encryption='always').transport.send_message(ENUMERATE)):
            raise AssertionError('the third answer is not intact')

    def strict_bindings_refuse_none():
        client = GssClient(tls_connection(check.strict)[0], 'Negotiate')
        expect_error(Refused, client.authenticate)
        p = pywinrm(check.strict, trust=check.trust, send_cbt=False, message_encryption='never')
        expect_error(winrm.exceptions.InvalidCredentialsError, lambda: p.transport.send_message(ENUMERATE))

    def strict_bindings_accept_right_ones():
        connection, bindings = tls_connection(check.strict)
        client = GssClient(connection, 'Negotiate', bindings)
        client.authenticate()
        if not process_items(client.exchange(ENUMERATE, sealed=False)):
            raise AssertionError('no Win32_Process item over HTTPS')
        p = pywinrm(check.strict, trust=check.trust, send_cbt=True, message_encryption='never')
        if not process_items(p.transport.send_message(ENUMERATE)):
            raise AssertionError('python3-winrm with bindings: no Win32_Process item')

    check.run('NTLM with sealed bodies (python3-winrm): Enumerate answers Win32_Process', ntlm_sealed_enumerate)
    check.run('NTLM with a wrong password is refused', ntlm_wrong_password)
    check.run('a plain SOAP body over HTTP is refused', plain_body_refused_over_http)
    check.run('Kerberos inside SPNEGO (Negotiate), sealed Enumerate', gss('Negotiate'))
    check.run('raw Kerberos (Kerberos scheme), sealed Enumerate', gss('Kerberos'))
    check.run('NTLM inside SPNEGO (gss-ntlmssp as client), sealed Enumerate', gss('Negotiate', NTLM))
    check.run('a tampered answer and a wrong Length= are caught by python3-winrm', fault_injection)
    check.run('strict channel binding refuses clients without bindings', strict_bindings_refuse_none)
    check.run('strict channel binding accepts the right bindings', strict_bindings_accept_right_ones)


if __name__ == '__main__':
    sys.exit(main())
