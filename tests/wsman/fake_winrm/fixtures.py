"""The data of the fake WinRM server: classes (with their CIM types, keys and
superclasses) and instances of the namespace root\\cimv2, and the classes that make the
server answer each kind of fault."""

class Prop:
    def __init__(self, name, cimtype, array=False, key=False, refclass=None, embedded=None):
        self.name = name
        self.type = cimtype          # DSP0201 TYPE: sint8 ... string, datetime, reference
        self.array = array
        self.key = key
        self.refclass = refclass     # for references
        self.embedded = embedded     # class name of an embedded object (type string)
        self.origin = None           # the class that declares it (set by Cls)


class Cls:
    def __init__(self, name, props, superclass=None, singleton=False, writable=False):
        self.name = name
        self.superclass = superclass
        self.own = props
        for p in props:
            p.origin = name
        self.singleton = singleton
        self.writable = writable
        self.instances = []

    def all_props(self, classes):
        """Properties including inherited ones, the superclass's first."""
        base = classes[self.superclass.lower()].all_props(classes) if self.superclass else []
        own_names = {p.name.lower() for p in self.own}
        return [p for p in base if p.name.lower() not in own_names] + self.own

    def keys(self, classes):
        return [p for p in self.all_props(classes) if p.key]


def Instance(cls, **values):
    """An instance: a dict of property values (None for null, a list for an array)
    with its class name under '__class'."""
    values['__class'] = cls
    return values


# Values that need their own XML form.
class Datetime(str):
    """xs:dateTime text, sent as <cim:Datetime>."""


class Interval(str):
    """xs:duration text, sent as <cim:Interval>."""


class Reference:
    """An endpoint reference to an instance of cls with the given keys."""
    def __init__(self, cls, **selectors):
        self.cls = cls
        self.selectors = selectors


def build():
    classes = {}

    def add(cls):
        classes[cls.name.lower()] = cls
        return cls

    add(Cls('__NAMESPACE', [Prop('Name', 'string', key=True)]))

    types = add(Cls('Veskin_Types', [
        Prop('Id', 'uint32', key=True),
        Prop('S8', 'sint8'), Prop('U8', 'uint8'), Prop('S16', 'sint16'), Prop('U16', 'uint16'),
        Prop('S32', 'sint32'), Prop('U32', 'uint32'), Prop('S64', 'sint64'), Prop('U64', 'uint64'),
        Prop('R32', 'real32'), Prop('R64', 'real64'), Prop('Flag', 'boolean'),
        Prop('Text', 'string'), Prop('Empty', 'string'), Prop('Letter', 'char16'),
        Prop('When', 'datetime'), Prop('WhenUtc', 'datetime'), Prop('WhenMilli', 'datetime'),
        Prop('WhenMicro', 'datetime'), Prop('Span', 'datetime'),
        Prop('Ref', 'reference', refclass='Win32_Process'),
        Prop('Part', 'string', embedded='Veskin_Part'),
        Prop('Numbers', 'sint32', array=True), Prop('Names', 'string', array=True),
        Prop('One', 'uint16', array=True), Prop('Nothing', 'string', array=True),
        Prop('Times', 'datetime', array=True),
        Prop('NullText', 'string'), Prop('NullNumber', 'uint32'),
    ]))
    add(Cls('Veskin_Part', [Prop('Label', 'string'), Prop('Size', 'uint64')]))
    types.instances.append(Instance(
        'Veskin_Types', Id=1, S8=-128, U8=255, S16=-32768, U16=65535,
        S32=-2147483648, U32=4294967295, S64=-9223372036854775808, U64=18446744073709551615,
        R32=1.5, R64=-2.25e-308, Flag=True,
        Text='Gr\u00fc\u00dfe, \u65e5\u672c \U0001F600 <&>', Empty='', Letter=ord('\u00e9'),
        When=Datetime('2019-03-07T18:49:07-05:00'), WhenUtc=Datetime('2019-03-07T23:49:07Z'),
        WhenMilli=Datetime('2019-03-07T18:49:07.484+01:00'),
        WhenMicro=Datetime('2019-03-07T18:49:07.484411-05:00'),
        Span=Interval('P1DT2H3M4.5S'),
        Ref=Reference('Win32_Process', Handle='4'),
        Part=Instance('Veskin_Part', Label='inner', Size=18446744073709551615),
        Numbers=[1, -2, 3], Names=['a', '', 'c'], One=[7], Nothing=None,
        Times=[Datetime('2020-01-01T00:00:00Z'), Datetime('2020-06-01T12:30:00.5+02:00')],
        NullText=None, NullNumber=None))

    process = add(Cls('Win32_Process', [
        Prop('Handle', 'string', key=True), Prop('Name', 'string'), Prop('ProcessId', 'uint32'),
        Prop('ParentProcessId', 'uint32'), Prop('ThreadCount', 'uint32'),
        Prop('WorkingSetSize', 'uint64'), Prop('CreationDate', 'datetime'),
        Prop('CommandLine', 'string'),
    ]))
    names = ['System Idle Process', 'System', 'smss.exe', 'csrss.exe', 'wininit.exe', 'services.exe',
             'lsass.exe', 'svchost.exe', 'winlogon.exe', 'dwm.exe']
    for i in range(46):
        pid = 0 if i == 0 else 4 * i
        process.instances.append(Instance(
            'Win32_Process', Handle=str(pid), Name=names[i % len(names)], ProcessId=pid,
            ParentProcessId=0 if i < 2 else 4, ThreadCount=1 + i % 7, WorkingSetSize=4096 * (i + 1),
            CreationDate=Datetime('2024-05-01T08:%02d:%02d.%06d+02:00' % (i % 60, (i * 7) % 60, i * 1111)),
            CommandLine=None if i < 2 else 'C:\\Windows\\System32\\%s -k %d' % (names[i % len(names)], i)))

    service = add(Cls('Win32_Service', [
        Prop('Name', 'string', key=True), Prop('DisplayName', 'string'), Prop('State', 'string'),
        Prop('StartMode', 'string'), Prop('ProcessId', 'uint32'),
    ]))
    add(Cls('Win32_TerminalService', [Prop('DisconnectedSessions', 'uint32'),
                                      Prop('TotalSessions', 'uint32')], superclass='Win32_Service'))
    for name, display, state in [('Dhcp', 'DHCP Client', 'Running'), ('EventLog', 'Windows Event Log', 'Running'),
                                 ('Spooler', 'Print Spooler', 'Stopped')]:
        service.instances.append(Instance('Win32_Service', Name=name, DisplayName=display, State=state,
                                          StartMode='Auto', ProcessId=1000 + len(service.instances)))
    classes['win32_terminalservice'].instances.append(Instance(
        'Win32_TerminalService', Name='TermService', DisplayName='Remote Desktop Services', State='Running',
        StartMode='Manual', ProcessId=1100, DisconnectedSessions=1, TotalSessions=3))

    os_ = add(Cls('Win32_OperatingSystem', [
        Prop('Caption', 'string'), Prop('Version', 'string'), Prop('BuildNumber', 'string'),
        Prop('LastBootUpTime', 'datetime'), Prop('TotalVisibleMemorySize', 'uint64'),
        Prop('MUILanguages', 'string', array=True),
    ], singleton=True))
    os_.instances.append(Instance(
        'Win32_OperatingSystem', Caption='Microsoft Windows Server 2019 Standard', Version='10.0.17763',
        BuildNumber='17763', LastBootUpTime=Datetime('2024-05-01T08:00:00.5+02:00'),
        TotalVisibleMemorySize=8388608, MUILanguages=['en-US']))

    setting = add(Cls('Veskin_Setting', [
        Prop('Name', 'string', key=True), Prop('Value', 'string'), Prop('Count', 'uint32'),
        Prop('Enabled', 'boolean'),
    ], writable=True))
    setting.instances.append(Instance('Veskin_Setting', Name='first', Value='one', Count=1, Enabled=True))

    # Classes whose queries answer a fault (see README.md).
    for name in FAULT_CLASSES:
        add(Cls(name, [Prop('Name', 'string', key=True)]))
    return classes


# Class name (lower case) -> what a query of it or a Get on it answers.
FAULT_CLASSES = {
    'Veskin_TimedOut': 'timedout',
    'Veskin_Unreachable': 'unreachable',
    'Veskin_Quota': 'quota',
    'Veskin_Http500': 'http500',
    'Veskin_Http400': 'http400',
}

NAMESPACES = {'root/cimv2': ['Security', 'Veskin'], 'root': ['cimv2']}


def bench_class(count):
    """Veskin_Bench: count instances of a 40-property class."""
    props = [Prop('Id', 'uint32', key=True), Prop('Name', 'string')]
    kinds = ['string', 'uint32', 'sint64', 'boolean', 'real64', 'datetime']
    for i in range(1, 39):
        props.append(Prop('P%02d' % i, kinds[i % len(kinds)]))
    cls = Cls('Veskin_Bench', props)
    for n in range(count):
        values = {'Id': n, 'Name': 'bench-%d' % n}
        for i in range(1, 39):
            kind = kinds[i % len(kinds)]
            values['P%02d' % i] = {
                'string': 'value %d.%d' % (n, i), 'uint32': n * 40 + i, 'sint64': -(n * 1000 + i),
                'boolean': (n + i) % 2 == 0, 'real64': n + i / 8,
                'datetime': Datetime('2024-01-01T00:00:%02dZ' % (i % 60))}[kind]
        cls.instances.append(Instance('Veskin_Bench', **values))
    return cls
