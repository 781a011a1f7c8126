#!/usr/bin/python3
"""Makes self-signed server certificates for the tests in OUTDIR:
  good.pem/good.key       for 127.0.0.1, ::1 and localhost, valid now
  expired.pem/expired.key for the same names, expired yesterday
  other.pem/other.key     for other.example only
  trusted.pem             all three, as a trust store for SSL_CERT_FILE"""
import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import NameOID


def make(cn, organization, names, addresses, not_before, not_after):
    key = ec.generate_private_key(ec.SECP256R1())
    name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, cn),
                      x509.NameAttribute(NameOID.ORGANIZATION_NAME, organization)])
    alt = [x509.DNSName(n) for n in names] + [x509.IPAddress(ipaddress.ip_address(a)) for a in addresses]
    cert = (x509.CertificateBuilder()
            .subject_name(name).issuer_name(name).public_key(key.public_key())
            .serial_number(x509.random_serial_number())
            .not_valid_before(not_before).not_valid_after(not_after)
            .add_extension(x509.SubjectAlternativeName(alt), critical=False)
            .add_extension(x509.BasicConstraints(ca=True, path_length=None), critical=True)
            .sign(key, hashes.SHA256()))
    key_pem = key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                serialization.NoEncryption())
    return cert.public_bytes(serialization.Encoding.PEM), key_pem


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    now = datetime.datetime.utcnow()
    day = datetime.timedelta(days=1)
    certs = {
        # Distinct subjects: a trust store finds an issuer by its name.
        'good': make('127.0.0.1', 'Veskin tests', ['localhost'], ['127.0.0.1', '::1'], now - day, now + 365 * day),
        'expired': make('127.0.0.1', 'Veskin tests, expired', ['localhost'], ['127.0.0.1', '::1'], now - 30 * day, now - day),
        'other': make('other.example', 'Veskin tests', ['other.example'], [], now - day, now + 365 * day),
    }
    for stem, (cert, key) in certs.items():
        with open(os.path.join(out, stem + '.pem'), 'wb') as f:
            f.write(cert)
        with open(os.path.join(out, stem + '.key'), 'wb') as f:
            f.write(key)
    with open(os.path.join(out, 'trusted.pem'), 'wb') as f:
        f.write(b''.join(cert for cert, _ in certs.values()))


if __name__ == '__main__':
    main()
