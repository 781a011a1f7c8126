#!/usr/bin/python3
"""A fake WinRM server for the tests: WMI over WS-Management on 127.0.0.1, answering
Enumerate/Pull/Release, WS-Transfer Get/Put/Delete, the CIM-XML class-schema Get and
Identify in the shapes real Windows servers use. See README.md for options and triggers."""
import argparse
import base64
import json
import os
import ssl
import sys
import threading
import time
import uuid
import xml.etree.ElementTree as ET
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fixtures  # noqa: E402
import render  # noqa: E402
import wql  # noqa: E402
gss_auth = None  # imported with --negotiate only, so plain runs need no python3-gssapi

NS = render.NS
ENUM = 'http://schemas.xmlsoap.org/ws/2004/09/enumeration/'
TRANSFER = 'http://schemas.xmlsoap.org/ws/2004/09/transfer/'
SCHEMA_PREFIX = 'http://schemas.dmtf.org/wbem/cim-xml/2/cim-schema/2/'
WQL_DIALECT = 'http://schemas.microsoft.com/wbem/wsman/1/WQL'
SOAP_TYPE = 'application/soap+xml;charset=UTF-8'


class Fault(Exception):
    """Ends a request with an answer other than its normal one: (status, body, type)."""
    def __init__(self, body, status=500, content_type=SOAP_TYPE):
        super().__init__('fault')
        self.answer = (status, body, content_type)


def q(prefix, name):
    return '{%s}%s' % (NS[prefix], name)


class Request:
    """The parts of a SOAP request the server looks at."""
    def __init__(self, data):
        root = ET.fromstring(data)
        header = root.find(q('s', 'Header'))
        self.body = root.find(q('s', 'Body'))
        if header is None:
            header = ET.Element('none')
        if self.body is None:
            raise ValueError('no body')
        self.action = header.findtext(q('a', 'Action'), '').strip()
        self.message_id = header.findtext(q('a', 'MessageID'), '').strip()
        self.resource_uri = header.findtext(q('w', 'ResourceURI'), '').strip()
        self.selectors = {s.get('Name'): (s.text or '') for s in header.iter(q('w', 'Selector'))}
        self.options = {o.get('Name'): (o.text or '') for o in header.iter(q('w', 'Option'))}
        f = self.body.find('.//' + q('w', 'Filter'))
        self.filter = f.text if f is not None else None
        self.dialect = f.get('Dialect') if f is not None else None
        c = self.body.find('.//' + q('n', 'EnumerationContext'))
        self.context = (c.text or '').strip() if c is not None else None
        self.identify = self.body.find(q('wsmid', 'Identify')) is not None
        self.optimize = self.body.find('.//' + q('w', 'OptimizeEnumeration')) is not None
        mode = self.body.findtext('.//' + q('w', 'EnumerationMode'), '')
        self.with_epr = mode.strip() in ('EnumerateObjectAndEPR', 'EnumerateEPR')
        me = self.body.findtext('.//' + q('w', 'MaxElements')) or self.body.findtext('.//' + q('n', 'MaxElements'))
        self.max_elements = int(me) if me and me.strip().isdigit() else None


class Service:
    """What the server knows and remembers: classes, instances and open enumerations."""
    def __init__(self, options):
        self.opts = options
        self.classes = fixtures.build()
        if options.bench_objects:
            bench = fixtures.bench_class(options.bench_objects)
            self.classes[bench.name.lower()] = bench
        self.lock = threading.Lock()
        self.contexts = {}
        self.pulls = 0
        self.close_done = False
        self.drop_done = False
        self.sealed_answers = 0
        self.item_cache = {}
        if options.bench_objects:
            for inst in self.classes['veskin_bench'].instances:
                self.item(inst, 'root/cimv2', True)

    # --- helpers ---------------------------------------------------------------
    def item(self, instance, namespace, with_epr, only=None):
        if only is not None or self.classes[instance['__class'].lower()].writable:
            return render.item_xml(instance, namespace, self.classes, with_epr, only)
        key = (id(instance), namespace, with_epr)
        text = self.item_cache.get(key)
        if text is None:
            text = render.item_xml(instance, namespace, self.classes, with_epr)
            self.item_cache[key] = text
        return text

    def wmi_error(self, req, wmi_code, message, winrm_code=0x80338000):
        return Fault(render.wmi_error_fault(req.message_id, wmi_code, message, self.opts.old_faults, winrm_code))

    def namespace_of(self, req, namespace):
        ns = namespace.replace('\\', '/').strip('/').lower()
        if ns not in fixtures.NAMESPACES:
            raise self.wmi_error(req, 0x8004100E, 'Invalid namespace')
        return ns

    def find_class(self, req, namespace, name):
        cls = self.classes.get(name.lower())
        if cls is None or (namespace == 'root' and cls.name != '__NAMESPACE'):
            if self.opts.old_faults:
                raise Fault(render.wmi_error_fault(req.message_id, 0x80041010,
                                                   'The specified class does not exist in the given namespace.',
                                                   True, 0x8033801A))
            raise self.wmi_error(req, 0x80041010, 'Invalid class')
        trigger = fixtures.FAULT_CLASSES.get(cls.name)
        if trigger == 'timedout':
            raise Fault(render.timed_out_fault(req.message_id))
        if trigger == 'unreachable':
            raise Fault(render.unreachable_fault(req.message_id))
        if trigger == 'quota':
            raise Fault(render.quota_fault(req.message_id))
        if trigger == 'http500':
            raise Fault(b'<html><body>Internal Server Error</body></html>', 500, 'text/html')
        if trigger == 'http400':
            raise Fault(b'<html><body>Bad Request</body></html>', 400, 'text/html')
        return cls

    def instances_of(self, cls, namespace):
        """Instances of cls and of the classes derived from it."""
        if cls.name == '__NAMESPACE':
            return [fixtures.Instance('__NAMESPACE', Name=n) for n in fixtures.NAMESPACES[namespace]]
        result = []
        for c in self.classes.values():
            chain, name = [], c.name
            while name:
                chain.append(name.lower())
                name = self.classes[name.lower()].superclass
            if cls.name.lower() in chain:
                result.extend(c.instances)
        return result

    def split_wmi_uri(self, req):
        if not req.resource_uri.startswith(render.WMI_PREFIX) or '/' not in req.resource_uri[len(render.WMI_PREFIX):]:
            raise Fault(render.unreachable_fault(req.message_id))
        namespace, cls = req.resource_uri[len(render.WMI_PREFIX):].rsplit('/', 1)
        return self.namespace_of(req, namespace), cls

    def find_instance(self, req, cls, namespace):
        candidates = self.instances_of(cls, namespace)
        if not req.selectors:
            if cls.singleton and candidates:
                return candidates[0]
            raise self.wmi_error(req, 0x80041002, 'Not found')
        wanted = {k.lower(): v for k, v in req.selectors.items()}
        for inst in candidates:
            keys = {p.name.lower(): inst.get(p.name) for p in self.classes[inst['__class'].lower()].keys(self.classes)}
            if set(keys) == set(wanted) and all(str(keys[k]).lower() == wanted[k].lower() for k in keys):
                return inst
        raise self.wmi_error(req, 0x80041002, 'Not found')

    # --- operations ------------------------------------------------------------
    def enumerate(self, req):
        namespace, star = self.split_wmi_uri(req)
        if star != '*':
            raise Fault(render.soap_fault(req.message_id, 'Sender', 'w:InvalidParameter',
                                          'The WS-Management service cannot process the request because the '
                                          'filter is not valid for the resource URI.',
                                          render.wsman_fault_detail(0x803380FB, 'The resource URI of a query '
                                                                    'must end with *.')))
        if req.dialect != WQL_DIALECT:
            raise self.wmi_error(req, 0x80041017, 'Invalid query')
        query = wql.parse(req.filter)
        if query is None:
            raise self.wmi_error(req, 0x80041017, 'Invalid query')
        cls = self.find_class(req, namespace, query.cls)
        names = {p.name.lower() for p in cls.all_props(self.classes)}
        only = None
        if query.select is not None:
            only = {s.lower() for s in query.select}
            if not only <= names:
                raise self.wmi_error(req, 0x80041017, 'Invalid query')
        if query.prop and query.prop.lower() not in names:
            raise self.wmi_error(req, 0x80041017, 'Invalid query')
        selected = [i for i in self.instances_of(cls, namespace)
                    if not query.prop or wql.matches(i, query.prop, query.value)]
        items = [self.item(i, namespace, req.with_epr, only) for i in selected]
        first = min(self.opts.first_items, req.max_elements or 1) if req.optimize else 0
        head, rest = items[:first], items[first:]
        body = '<n:EnumerateResponse>'
        if rest or not req.optimize:
            ctx = self.new_context(rest, req.resource_uri)
            body += '<n:EnumerationContext>%s</n:EnumerationContext>' % ctx
        else:
            body += '<n:EnumerationContext></n:EnumerationContext>'
        if req.optimize:
            body += '<w:Items>%s</w:Items>' % ''.join(head)
            if not rest:
                body += '<w:EndOfSequence/>'
        body += '</n:EnumerateResponse>'
        return render.envelope(ENUM + 'EnumerateResponse', req.message_id, body)

    def new_context(self, items, uri):
        ctx = 'uuid:' + str(uuid.uuid4()).upper()
        with self.lock:
            self.contexts[ctx] = (items, uri)
        return ctx

    def take_context(self, req):
        with self.lock:
            entry = self.contexts.pop(req.context or '', None)
        if entry is None:
            raise Fault(render.invalid_context_fault(req.message_id))
        return entry

    def pull(self, req):
        items, uri = self.take_context(req)
        count = min(self.opts.page_size, req.max_elements or self.opts.page_size)
        page, rest = items[:count], items[count:]
        body = '<n:PullResponse>'
        if rest:
            body += '<n:EnumerationContext>%s</n:EnumerationContext>' % self.new_context(rest, uri)
        body += '<n:Items>%s</n:Items>' % ''.join(page)
        if not rest:
            body += '<n:EndOfSequence/>'
        body += '</n:PullResponse>'
        return render.envelope(ENUM + 'PullResponse', req.message_id, body)

    def release(self, req):
        self.take_context(req)
        return render.envelope(ENUM + 'ReleaseResponse', req.message_id, '')

    def get(self, req):
        if req.resource_uri.startswith(SCHEMA_PREFIX):
            if self.opts.no_schema:
                raise Fault(render.unreachable_fault(req.message_id))
            namespace = self.namespace_of(req, req.selectors.get('__cimnamespace', ''))
            cls = self.classes.get(req.selectors.get('ClassName', '').lower())
            if cls is None or (namespace == 'root' and cls.name != '__NAMESPACE'):
                raise self.wmi_error(req, 0x80041002, 'Not found')
            return render.envelope(TRANSFER + 'GetResponse', req.message_id,
                                   render.class_schema_xml(cls, self.classes))
        namespace, name = self.split_wmi_uri(req)
        cls = self.find_class(req, namespace, name)
        inst = self.find_instance(req, cls, namespace)
        return render.envelope(TRANSFER + 'GetResponse', req.message_id,
                               render.instance_xml(inst, namespace, self.classes))

    def writable_class(self, req):
        namespace, name = self.split_wmi_uri(req)
        cls = self.find_class(req, namespace, name)
        if not cls.writable:
            raise self.wmi_error(req, 0x80041024, 'Provider is not capable of the attempted operation')
        return namespace, cls

    def put(self, req):
        namespace, cls = self.writable_class(req)
        element = next(iter(req.body), None)
        if element is None:
            raise self.wmi_error(req, 0x80041008, 'Invalid parameter')
        types = {p.name.lower(): p for p in cls.all_props(self.classes)}
        values = {}
        for child in element:
            name = child.tag.split('}')[-1]
            prop = types.get(name.lower())
            if prop is None:
                raise self.wmi_error(req, 0x80041008, 'Invalid parameter')
            text = None if child.get(q('xsi', 'nil')) == 'true' else (child.text or '')
            if text is not None and prop.type.startswith(('uint', 'sint')):
                text = int(text)
            elif text is not None and prop.type == 'boolean':
                text = text.strip().lower() == 'true'
            values[prop.name] = text
        instance = fixtures.Instance(cls.name, **values)
        wanted = {k.lower(): v for k, v in req.selectors.items()}
        with self.lock:
            cls.instances = [i for i in cls.instances
                             if not all(str(i.get(p.name)).lower() == wanted.get(p.name.lower(), '').lower()
                                        for p in cls.keys(self.classes))]
            cls.instances.append(instance)
        return render.envelope(TRANSFER + 'PutResponse', req.message_id,
                               render.instance_xml(instance, namespace, self.classes))

    def delete(self, req):
        namespace, cls = self.writable_class(req)
        inst = self.find_instance(req, cls, namespace)
        with self.lock:
            cls.instances = [i for i in cls.instances if i is not inst]
        return render.envelope(TRANSFER + 'DeleteResponse', req.message_id, '')

    def answer(self, req):
        if req.identify:
            return render.identify_response()
        handlers = {ENUM + 'Enumerate': self.enumerate, ENUM + 'Pull': self.pull, ENUM + 'Release': self.release,
                    TRANSFER + 'Get': self.get, TRANSFER + 'Put': self.put, TRANSFER + 'Delete': self.delete}
        handler = handlers.get(req.action)
        if handler is None:
            raise Fault(render.soap_fault(req.message_id, 'Sender', 'a:ActionNotSupported',
                                          'The action is not supported by the service.',
                                          action='http://schemas.xmlsoap.org/ws/2004/08/addressing/fault'))
        return handler(req)


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    # Headers and body go out in separate writes: without this the body's last segment
    # waits for the client's delayed acknowledgement of the headers (about 40 ms), which
    # HTTP.sys does not do.
    disable_nagle_algorithm = True
    gss = None  # the connection's gss_auth.Session (one handler serves one connection)
    encrypted = False  # whether the request being answered came encrypted

    def version_string(self):
        return 'Microsoft-HTTPAPI/2.0'

    def log_message(self, format, *args):  # noqa: A002 (quiet: the JSON log says what came)
        pass

    def send(self, status, body, content_type, extra_headers=()):
        data = body.encode('utf-8') if isinstance(body, str) else body
        if self.encrypted and status != 401:
            data, content_type = self.seal(data, content_type)
        self.send_response(status)
        for name, value in extra_headers:
            self.send_header(name, value)
        if data or status != 401:
            self.send_header('Content-Type', content_type)
        if self.server.service.opts.chunked and data:
            self.send_header('Transfer-Encoding', 'chunked')
            self.end_headers()
            half = len(data) // 2
            for part in (data[:half], data[half:], b''):
                self.wfile.write(b'%x\r\n%s\r\n' % (len(part), part) if part else b'0\r\n\r\n')
        else:
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            self.wfile.write(data)
        self.wfile.flush()

    def seal(self, data, content_type):
        service = self.server.service
        with service.lock:
            service.sealed_answers += 1
            count = service.sealed_answers
        return gss_auth.frame(self.gss, data, content_type, tamper=count == service.opts.tamper_response,
                              length_delta=1 if count == service.opts.bad_length else 0)

    def challenges(self):
        opts = self.server.service.opts
        # A server offers what it speaks: without --negotiate, Basic alone.
        names = ['Negotiate', 'Kerberos'] if opts.negotiate else []
        if opts.basic_user or not opts.negotiate:
            names.append('Basic realm="WSMAN"')
        return [('WWW-Authenticate', name) for name in names]

    def refuse(self, req=None):
        """401 with the challenges; the connection's security context is dropped."""
        self.gss = None
        self.encrypted = False
        self.log_request_line(req)
        self.send(401, b'', '', self.challenges())

    def gss_gate(self, data):
        """Runs a Negotiate/Kerberos token and decrypts an encrypted body. Returns the plain
        body, or None when it has answered the request itself."""
        opts = self.server.service.opts
        scheme, _, token = self.headers.get('Authorization', '').strip().partition(' ')
        scheme = next((s for s in gss_auth.SCHEMES if s.lower() == scheme.lower()), None)
        if scheme and token.strip():
            if self.gss is None or self.gss.complete or self.gss.scheme != scheme:
                bindings = self.server.bindings if opts.channel_binding != 'none' else None
                self.gss = gss_auth.Session(scheme, bindings, opts.channel_binding == 'strict')
            try:
                out = self.gss.step(base64.b64decode(token.strip(), validate=True))
            except (gss_auth.AuthFailed, ValueError):
                self.refuse()
                return None
            if not self.gss.complete:
                self.log_request_line(None)
                self.send(401, b'', '', [('WWW-Authenticate', '%s %s' % (scheme, base64.b64encode(out).decode()))])
                return None
            if out:
                self.answer_headers.append(('WWW-Authenticate', '%s %s' % (scheme, base64.b64encode(out).decode())))
        if not gss_auth.is_encrypted(self.headers.get('Content-Type', '')):
            return data
        if opts.refuse_encrypted:
            # A server (or a proxy before it) that does not take encrypted messages.
            self.log_request_line(None)
            self.send(400, '<html><body>Bad Request</body></html>', 'text/html')
            return None
        if self.gss is None or not self.gss.complete:
            self.refuse()
            return None
        try:
            plain = gss_auth.unframe(self.gss, data, self.headers.get('Content-Type', ''))
        except gss_auth.BadFrame:
            # The message sequence of the context is now out of step: the session ends.
            self.log_request_line(None)
            self.gss = None
            self.close_connection = True
            self.send(400, '<html><body>Bad Request</body></html>', 'text/html', [('Connection', 'close')])
            return None
        self.encrypted = True
        return plain

    def authorized(self, header):
        opts = self.server.service.opts
        if opts.negotiate and self.gss is not None and self.gss.complete:
            return True
        users = opts.basic_user
        if not users:
            return not opts.negotiate
        if not header.startswith('Basic '):
            return False
        try:
            account = base64.b64decode(header[6:].strip(), validate=True).decode('utf-8')
        except ValueError:
            return False
        return account in users

    def log_request_line(self, req):
        path = self.server.service.opts.log
        if not path:
            return
        auth = self.headers.get('Authorization')
        entry = {'path': self.path, 'client_port': self.client_address[1],
                 'action': req.action if req else None,
                 'resource_uri': req.resource_uri if req else None,
                 'selectors': req.selectors if req else {}, 'filter': req.filter if req else None,
                 'context': req.context if req else None, 'identify': bool(req and req.identify),
                 'auth': auth.split(' ', 1)[0] if auth else None,
                 'mech': self.gss.mech if self.gss is not None else None, 'encrypted': self.encrypted}
        with self.server.log_lock, open(path, 'a', encoding='utf-8') as f:
            f.write(json.dumps(entry) + '\n')

    def do_POST(self):
        service = self.server.service
        opts = service.opts
        length = int(self.headers.get('Content-Length') or 0)
        data = self.rfile.read(length)
        self.answer_headers = []
        self.encrypted = False
        if opts.negotiate:
            data = self.gss_gate(data)
            if data is None:
                return
        try:
            req = Request(data)
        except (ET.ParseError, ValueError):
            req = None
        self.log_request_line(req)
        if getattr(self, 'drop_next', False):
            # The kept-alive connection ends as the next request comes in, unanswered.
            self.drop_next = False
            self.close_connection = True
            return
        if service.opts.delay_ms:
            time.sleep(service.opts.delay_ms / 1000.0)
        if self.path != '/wsman':
            self.send(404, '<html><body>Not Found</body></html>', 'text/html')
            return
        if opts.negotiate:
            if not self.negotiated_request(req, data):
                return
        else:
            # The account is checked first, as WinRM does: an empty request without one
            # learns what the server offers.
            if not (req is not None and req.identify) and not self.authorized(self.headers.get('Authorization', '')):
                self.send(401, b'', '', self.challenges())
                return
            if req is None:
                self.send(400, '<html><body>Bad Request</body></html>', 'text/html')
                return
        try:
            status, body, content_type = 200, service.answer(req), SOAP_TYPE
        except Fault as fault:
            status, body, content_type = fault.answer
        self.send(status, body, content_type, self.answer_headers)
        if req.action == ENUM + 'Pull' and status == 200:
            with service.lock:
                service.pulls += 1
                pulls = service.pulls
                close = not service.close_done and pulls == service.opts.close_after_pages
                drop = not service.drop_done and pulls == service.opts.drop_after_pages
                service.close_done |= close
                service.drop_done |= drop
            if close:
                self.close_connection = True
            if drop:
                self.drop_next = True


    def negotiated_request(self, req, data):
        """The checks of a server with --negotiate; False when the request got its answer."""
        opts = self.server.service.opts
        anonymous = req is not None and req.identify and 'Authorization' not in self.headers
        if not anonymous and not self.authorized(self.headers.get('Authorization', '')):
            self.send(401, b'', '', self.challenges())
            return False
        if not data:
            # The empty POST that completes the authentication.
            self.send(200, b'', SOAP_TYPE, self.answer_headers)
            return False
        if req is None:
            self.send(400, '<html><body>Bad Request</body></html>', 'text/html', self.answer_headers)
            return False
        if not anonymous and not self.encrypted and self.server.tls_context is None and not opts.allow_unencrypted:
            # As WinRM with AllowUnencrypted false: a plain body over HTTP is refused.
            self.gss = None
            self.send(401, b'', '', self.challenges())
            return False
        return True


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port, service, tls_context):
        super().__init__(('127.0.0.1', port), Handler)
        self.service = service
        self.tls_context = tls_context
        self.log_lock = threading.Lock()
        self.bindings = None  # tls-server-end-point channel bindings over HTTPS
        if service.opts.negotiate and service.opts.tls:
            self.bindings = gss_auth.tls_bindings(service.opts.tls[0])

    def finish_request(self, request, client_address):
        # The TLS handshake runs on the connection's own thread.
        if self.tls_context is not None:
            request.settimeout(30)
            request = self.tls_context.wrap_socket(request, server_side=True)
            request.settimeout(None)
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        kind = sys.exc_info()[0]
        if kind is not None and issubclass(kind, (ssl.SSLError, ConnectionError, TimeoutError)):
            return  # a client that refused the certificate or went away
        super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--port', type=int, default=0)
    parser.add_argument('--tls', nargs=2, metavar=('CERT', 'KEY'))
    parser.add_argument('--basic-user', action='append', default=[], metavar='USER:PASSWORD')
    parser.add_argument('--page-size', type=int, default=32)
    parser.add_argument('--first-items', type=int, default=1)
    parser.add_argument('--close-after-pages', type=int, default=0)
    parser.add_argument('--drop-after-pages', type=int, default=0)
    parser.add_argument('--delay-ms', type=int, default=0)
    parser.add_argument('--old-faults', action='store_true')
    parser.add_argument('--no-schema', action='store_true')
    parser.add_argument('--chunked', action='store_true')
    parser.add_argument('--log')
    parser.add_argument('--bench-objects', type=int, default=0)
    parser.add_argument('--negotiate', action='store_true')
    parser.add_argument('--allow-unencrypted', action='store_true')
    parser.add_argument('--refuse-encrypted', action='store_true')
    parser.add_argument('--channel-binding', choices=('none', 'relaxed', 'strict'), default='relaxed')
    parser.add_argument('--tamper-response', type=int, default=0, metavar='K')
    parser.add_argument('--bad-length', type=int, default=0, metavar='K')
    opts = parser.parse_args()
    if opts.negotiate:
        global gss_auth
        import gss_auth

    context = None
    if opts.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(opts.tls[0], opts.tls[1])
    server = Server(opts.port, Service(opts), context)
    print('PORT %d' % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == '__main__':
    main()
