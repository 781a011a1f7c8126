"""The WQL the fake server understands: SELECT * | a, b FROM Class [WHERE prop = value]."""
import re

_QUERY = re.compile(
    r"""^\s*SELECT\s+(?P<select>\*|[A-Za-z_]\w*(?:\s*,\s*[A-Za-z_]\w*)*)\s+FROM\s+(?P<cls>[A-Za-z_]\w*)"""
    r"""(?:\s+WHERE\s+(?P<prop>[A-Za-z_]\w*)\s*=\s*(?:'(?P<sq>[^']*)'|"(?P<dq>[^"]*)"|(?P<bare>[\w.+-]+)))?\s*$""",
    re.IGNORECASE | re.DOTALL)


class Query:
    def __init__(self, select, cls, prop, value):
        self.select = select  # None for *, else a list of names
        self.cls = cls
        self.prop = prop
        self.value = value


def parse(text):
    """A Query, or None for text this WQL does not cover."""
    m = _QUERY.match(text or '')
    if not m:
        return None
    select = None if m.group('select') == '*' else [s.strip() for s in m.group('select').split(',')]
    value = next((m.group(g) for g in ('sq', 'dq', 'bare') if m.group(g) is not None), None)
    return Query(select, m.group('cls'), m.group('prop'), value)


def matches(instance, prop, value):
    """prop = value, strings without regard to case, numbers and booleans as text."""
    actual = next((v for k, v in instance.items() if k.lower() == prop.lower()), None)
    if actual is None or isinstance(actual, (list, dict)):
        return False
    if isinstance(actual, bool):
        return str(actual).lower() == value.lower()
    return str(actual).lower() == value.lower()
