#!/usr/bin/python3
"""A throw-away MIT Kerberos realm VESKIN.TEST for the tests, on 127.0.0.1.

    /usr/bin/python3 kdc.py DIR

Creates the realm's database in DIR with the user alice@VESKIN.TEST (password Secret1)
and the service HTTP/localhost@VESKIN.TEST (random key, exported to DIR/http.keytab),
writes DIR/krb5.conf for clients and servers, starts krb5kdc on a free port, prints
`PORT <n>` once the KDC answers, and runs until SIGTERM, when it stops the KDC."""
import ctypes
import os
import signal
import socket
import subprocess
import sys
import time

REALM = 'VESKIN.TEST'
USER, PASSWORD = 'alice', 'Secret1'
SERVICE = 'HTTP/localhost'
PR_SET_PDEATHSIG = 1

KDC_CONF = """[kdcdefaults]
 kdc_listen = 127.0.0.1:{port}
 kdc_tcp_listen = 127.0.0.1:{port}

[realms]
 {realm} = {{
  database_name = {dir}/principal
  key_stash_file = {dir}/stash
  acl_file = {dir}/kadm5.acl
  max_life = 10h
  max_renewable_life = 1d
  supported_enctypes = aes256-cts-hmac-sha1-96:normal aes128-cts-hmac-sha1-96:normal
 }}

[logging]
 kdc = FILE:{dir}/kdc.log
 admin_server = FILE:{dir}/kadmin.log
"""

KRB5_CONF = """[libdefaults]
 default_realm = {realm}
 dns_lookup_kdc = false
 dns_lookup_realm = false
 rdns = false
 dns_canonicalize_hostname = false
 udp_preference_limit = 1
 kdc_timeout = 3000
 max_retries = 2
 ignore_acceptor_hostname = false

[realms]
 {realm} = {{
  kdc = 127.0.0.1:{port}
  kdc = tcp/127.0.0.1:{port}
 }}

[domain_realm]
 localhost = {realm}
 .localhost = {realm}
"""


def die_with_parent():
    """Asks the kernel to send SIGTERM to this process when its parent ends."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM, 0, 0, 0)


def free_port():
    """A port free for both UDP and TCP on 127.0.0.1 (the KDC serves both on one)."""
    while True:
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as t:
            t.bind(('127.0.0.1', 0))
            port = t.getsockname()[1]
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as u:
                try:
                    u.bind(('127.0.0.1', port))
                except OSError:
                    continue
                return port


def write_config(folder, port):
    with open(os.path.join(folder, 'kdc.conf'), 'w', encoding='utf-8') as f:
        f.write(KDC_CONF.format(port=port, realm=REALM, dir=folder))
    with open(os.path.join(folder, 'krb5.conf'), 'w', encoding='utf-8') as f:
        f.write(KRB5_CONF.format(port=port, realm=REALM))


def environment(folder):
    env = dict(os.environ)
    env.update(KRB5_CONFIG=os.path.join(folder, 'krb5.conf'), KRB5_KDC_PROFILE=os.path.join(folder, 'kdc.conf'),
               KRB5CCNAME='MEMORY:kdc-check')
    env.pop('KRB5_KTNAME', None)
    return env


def run(args, env):
    subprocess.run(args, env=env, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE)


def create_realm(folder, env):
    with open(os.path.join(folder, 'kadm5.acl'), 'w', encoding='utf-8') as f:
        f.write('*/admin@%s *\n' % REALM)
    master = os.urandom(16).hex()
    run(['kdb5_util', 'create', '-s', '-P', master, '-r', REALM], env)
    keytab = os.path.join(folder, 'http.keytab')
    for query in ('addprinc -pw %s %s' % (PASSWORD, USER), 'addprinc -randkey %s' % SERVICE,
                  'ktadd -k %s %s' % (keytab, SERVICE)):
        run(['kadmin.local', '-r', REALM, '-q', query], env)


def kdc_answers(folder, env):
    """True once the KDC issues a ticket for the service from its keytab."""
    result = subprocess.run(['kinit', '-k', '-t', os.path.join(folder, 'http.keytab'), SERVICE], env=env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return result.returncode == 0


def start_kdc(folder, env):
    """Starts krb5kdc on a free port and returns (process, port) once it answers."""
    for _ in range(5):
        port = free_port()
        write_config(folder, port)
        kdc = subprocess.Popen(['krb5kdc', '-n', '-r', REALM, '-P', os.path.join(folder, 'kdc.pid')], env=env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               preexec_fn=die_with_parent)
        deadline = time.monotonic() + 15
        while kdc.poll() is None and time.monotonic() < deadline:
            if kdc_answers(folder, env):
                return kdc, port
            time.sleep(0.1)
        stop(kdc)  # the port was taken meanwhile, or the KDC is stuck: try another one
    raise RuntimeError('krb5kdc did not start; see %s/kdc.log' % folder)


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: kdc.py DIR')
    parent = os.getppid()
    die_with_parent()
    if os.getppid() != parent:
        sys.exit(1)  # the parent ended before the request took effect
    folder = os.path.abspath(sys.argv[1])
    os.makedirs(folder, exist_ok=True)
    env = environment(folder)
    write_config(folder, 0)
    try:
        create_realm(folder, env)
    except subprocess.CalledProcessError as e:
        sys.exit('creating the realm failed: %s: %s' % (' '.join(e.cmd), e.stderr.decode(errors='replace')))

    stopping = []
    signal.signal(signal.SIGTERM, lambda *_: stopping.append(True))
    signal.signal(signal.SIGINT, lambda *_: stopping.append(True))
    kdc, port = start_kdc(folder, env)
    try:
        if not stopping:
            print('PORT %d' % port, flush=True)
        while not stopping and kdc.poll() is None:
            time.sleep(0.2)
    finally:
        stop(kdc)
    sys.exit(0 if stopping else 1)


if __name__ == '__main__':
    main()
