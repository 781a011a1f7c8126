"""XML the fake WinRM server answers with: instances, endpoint references, CIM-XML class
schemas, envelopes and the fault shapes of newer and older Windows servers."""
import uuid
from xml.sax.saxutils import escape, quoteattr

import fixtures

NS = {
    's': 'http://www.w3.org/2003/05/soap-envelope',
    'a': 'http://schemas.xmlsoap.org/ws/2004/08/addressing',
    'n': 'http://schemas.xmlsoap.org/ws/2004/09/enumeration',
    'x': 'http://schemas.xmlsoap.org/ws/2004/09/transfer',
    'w': 'http://schemas.dmtf.org/wbem/wsman/1/wsman.xsd',
    'p': 'http://schemas.microsoft.com/wbem/wsman/1/wsman.xsd',
    'b': 'http://schemas.dmtf.org/wbem/wsman/1/cimbinding.xsd',
    'cim': 'http://schemas.dmtf.org/wbem/wscim/1/common',
    'xsi': 'http://www.w3.org/2001/XMLSchema-instance',
    'f': 'http://schemas.microsoft.com/wbem/wsman/1/wsmanfault',
    'wsmid': 'http://schemas.dmtf.org/wbem/wsman/identity/1/wsmanidentity.xsd',
}
WMI_PREFIX = 'http://schemas.microsoft.com/wbem/wsman/1/wmi/'
ANONYMOUS = 'http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous'


def resource_uri(namespace, cls):
    return WMI_PREFIX + namespace + '/' + cls


def scalar_text(value):
    if isinstance(value, bool):
        return 'true' if value else 'false'
    if isinstance(value, float):
        return repr(value)
    return escape(str(value))


def epr_xml(namespace, cls, selectors):
    sel = ''.join('<w:Selector Name=%s>%s</w:Selector>' % (quoteattr(k), escape(str(v)))
                  for k, v in selectors.items())
    return ('<a:Address>%s</a:Address><a:ReferenceParameters><w:ResourceURI>%s</w:ResourceURI>'
            '<w:SelectorSet>%s</w:SelectorSet></a:ReferenceParameters>'
            % (ANONYMOUS, resource_uri(namespace, cls), sel))


def value_xml(tag, value, namespace, classes):
    """One property element (repeated for arrays); tag is 'p:Name' or a bare name."""
    if value is None:
        return '<%s xsi:nil="true"/>' % tag
    if isinstance(value, list):
        return ''.join(value_xml(tag, v, namespace, classes) for v in value)
    if isinstance(value, fixtures.Datetime):
        return '<%s><cim:Datetime>%s</cim:Datetime></%s>' % (tag, value, tag)
    if isinstance(value, fixtures.Interval):
        return '<%s><cim:Interval>%s</cim:Interval></%s>' % (tag, value, tag)
    if isinstance(value, fixtures.Reference):
        return '<%s>%s</%s>' % (tag, epr_xml(namespace, value.cls, value.selectors), tag)
    if isinstance(value, dict):
        return '<%s>%s</%s>' % (tag, instance_xml(value, namespace, classes), tag)
    if value == '':
        return '<%s/>' % tag
    return '<%s>%s</%s>' % (tag, scalar_text(value), tag)


def sorted_props(instance, classes, only=None):
    cls = classes[instance['__class'].lower()]
    props = cls.all_props(classes)
    if only is not None:
        props = [p for p in props if p.name.lower() in only]
    return sorted(props, key=lambda p: p.name.lower())


def instance_xml(instance, namespace, classes):
    """The element of an instance, in its class's namespace, properties alphabetical."""
    name = instance['__class']
    body = ''.join(value_xml('p:' + p.name, instance.get(p.name), namespace, classes)
                   for p in sorted_props(instance, classes))
    return ('<p:%s xmlns:p="%s" xmlns:cim="%s" xsi:type="p:%s_Type" xmlns:xsi="%s">%s</p:%s>'
            % (name, resource_uri(namespace, name), NS['cim'], name, NS['xsi'], body, name))


def fragment_xml(instance, namespace, classes, only):
    body = ''.join(value_xml(p.name, instance.get(p.name), namespace, classes)
                   for p in sorted_props(instance, classes, only))
    return '<w:XmlFragment xmlns:cim="%s" xmlns:xsi="%s">%s</w:XmlFragment>' % (NS['cim'], NS['xsi'], body)


def item_xml(instance, namespace, classes, with_epr, only=None):
    inner = (fragment_xml(instance, namespace, classes, only) if only is not None
             else instance_xml(instance, namespace, classes))
    if with_epr:
        cls = classes[instance['__class'].lower()]
        keys = {p.name: instance.get(p.name) for p in cls.keys(classes)}
        inner += '<a:EndpointReference>%s</a:EndpointReference>' % epr_xml(namespace, instance['__class'], keys)
    return '<w:Item>%s</w:Item>' % inner


def qualifier(name, cimtype, value):
    return ('<QUALIFIER NAME="%s" TYPE="%s" OVERRIDABLE="false"><VALUE>%s</VALUE></QUALIFIER>'
            % (name, cimtype, escape(value)))


def class_schema_xml(cls, classes):
    """A DSP0201 CLASS with inherited properties marked PROPAGATED."""
    parts = []
    for p in cls.all_props(classes):
        attrs = 'NAME="%s" CLASSORIGIN="%s"' % (p.name, p.origin)
        if p.origin != cls.name:
            attrs += ' PROPAGATED="true"'
        quals = qualifier('key', 'boolean', 'true') if p.key else ''
        if p.embedded:
            quals += qualifier('EmbeddedInstance', 'string', p.embedded)
        if p.type == 'reference':
            parts.append('<PROPERTY.REFERENCE %s REFERENCECLASS="%s">%s</PROPERTY.REFERENCE>'
                         % (attrs, p.refclass, quals))
        elif p.array:
            parts.append('<PROPERTY.ARRAY %s TYPE="%s">%s</PROPERTY.ARRAY>' % (attrs, p.type, quals))
        else:
            parts.append('<PROPERTY %s TYPE="%s">%s</PROPERTY>' % (attrs, p.type, quals))
    superclass = ' SUPERCLASS="%s"' % cls.superclass if cls.superclass else ''
    return '<CLASS NAME="%s"%s>%s</CLASS>' % (cls.name, superclass, ''.join(parts))


def envelope(action, relates_to, body):
    header = ('<a:Action>%s</a:Action><a:MessageID>uuid:%s</a:MessageID><a:To>%s</a:To>'
              % (action, str(uuid.uuid4()).upper(), ANONYMOUS))
    if relates_to:
        header += '<a:RelatesTo>%s</a:RelatesTo>' % escape(relates_to)
    return ('<s:Envelope xml:lang="en-US" xmlns:s="%s" xmlns:a="%s" xmlns:n="%s" xmlns:x="%s" xmlns:w="%s" '
            'xmlns:p="%s"><s:Header>%s</s:Header><s:Body>%s</s:Body></s:Envelope>'
            % (NS['s'], NS['a'], NS['n'], NS['x'], NS['w'], NS['p'], header, body))


FAULT_ACTION = 'http://schemas.dmtf.org/wbem/wsman/1/wsman/fault'


def soap_fault(relates_to, code, subcode, reason, detail='', action=FAULT_ACTION):
    body = ('<s:Fault><s:Code><s:Value>s:%s</s:Value><s:Subcode><s:Value>%s</s:Value></s:Subcode></s:Code>'
            '<s:Reason><s:Text xml:lang="en-US">%s</s:Text></s:Reason>%s</s:Fault>'
            % (code, subcode, escape(reason), '<s:Detail>%s</s:Detail>' % detail if detail else ''))
    return envelope(action, relates_to, body)


def wsman_fault_detail(code, message, extra=''):
    return ('<f:WSManFault xmlns:f="%s" Code="%d" Machine="127.0.0.1"><f:Message>%s</f:Message></f:WSManFault>%s'
            % (NS['f'], code, escape(message), extra))


def wmi_error_fault(relates_to, wmi_code, message, old_faults, winrm_code=0x80338000):
    """A WMI failure: an MSFT_WmiError detail (newer servers) or a WSManFault with a
    ProviderFault and the __ExtendedStatus (older servers, WinRM code only)."""
    reason = 'The WS-Management service cannot process the request. %s ' % message
    if old_faults:
        inner = ('<f:WSManFault xmlns:f="%s" Code="%d" Machine="127.0.0.1"><f:Message><f:ProviderFault '
                 'provider="WMI Provider" path="%%systemroot%%\\system32\\WsmWmiPl.dll"><f:WSManFault '
                 'xmlns:f="%s" Code="%d" Machine="127.0.0.1"><f:Message>%s </f:Message></f:WSManFault>'
                 '<f:ExtendedError><p:__ExtendedStatus xmlns:p="%s__ExtendedStatus" xmlns:xsi="%s" '
                 'xsi:type="p:__ExtendedStatus_Type"><p:Description xsi:nil="true"/><p:Operation>ExecQuery'
                 '</p:Operation><p:ProviderName>WinMgmt</p:ProviderName><p:StatusCode>%d</p:StatusCode>'
                 '</p:__ExtendedStatus></f:ExtendedError></f:ProviderFault></f:Message></f:WSManFault>'
                 % (NS['f'], winrm_code, NS['f'], winrm_code, escape(message), WMI_PREFIX + 'root/cimv2/',
                    NS['xsi'], wmi_code))
        return soap_fault(relates_to, 'Sender', 'w:InvalidParameter', reason, inner)
    detail = ('<p:MSFT_WmiError b:IsCIM_Error="true" xmlns:b="%s" xmlns:p="%sroot/cimv2/MSFT_WmiError" '
              'xmlns:cim="%s" xmlns:xsi="%s" xsi:type="p:MSFT_WmiError_Type">'
              '<p:CIMStatusCode xsi:type="cim:cimUnsignedInt">5</p:CIMStatusCode>'
              '<p:CIMStatusCodeDescription xsi:type="cim:cimString" xsi:nil="true"/>'
              '<p:ErrorSource xsi:type="cim:cimString" xsi:nil="true"/>'
              '<p:ErrorType xsi:type="cim:cimUnsignedShort">0</p:ErrorType>'
              '<p:Message xsi:type="cim:cimString">%s </p:Message>'
              '<p:MessageID xsi:type="cim:cimString">HRESULT 0x%08x</p:MessageID>'
              '<p:OwningEntity xsi:type="cim:cimString" xsi:nil="true"/>'
              '<p:PerceivedSeverity xsi:type="cim:cimUnsignedShort">0</p:PerceivedSeverity>'
              '<p:ProbableCause xsi:type="cim:cimUnsignedShort">0</p:ProbableCause>'
              '<p:error_Category xsi:type="cim:cimUnsignedInt">30</p:error_Category>'
              '<p:error_Code xsi:type="cim:cimUnsignedInt">%d</p:error_Code>'
              '<p:error_Type xsi:type="cim:cimString">HRESULT</p:error_Type>'
              '<p:error_WindowsErrorMessage xsi:type="cim:cimString">%s </p:error_WindowsErrorMessage>'
              '</p:MSFT_WmiError>'
              % (NS['b'], WMI_PREFIX, NS['cim'], NS['xsi'], escape(message), wmi_code, wmi_code, escape(message)))
    return soap_fault(relates_to, 'Sender', 'w:InvalidParameter', reason, detail)


def timed_out_fault(relates_to):
    return soap_fault(relates_to, 'Receiver', 'w:TimedOut',
                      'The WS-Management service cannot complete the operation within the time specified in '
                      'OperationTimeout.',
                      wsman_fault_detail(0x80338029, 'The WS-Management service cannot complete the operation '
                                         'within the time specified in OperationTimeout.'))


def unreachable_fault(relates_to):
    return soap_fault(relates_to, 'Sender', 'a:DestinationUnreachable',
                      'The WS-Management service cannot process the request because the resource URI is not '
                      'valid or the resource was not found.',
                      wsman_fault_detail(0x80338000, 'The WS-Management service does not support the specified '
                                         'resource URI.',
                                         '<w:FaultDetail>http://schemas.dmtf.org/wbem/wsman/1/wsman/faultDetail/'
                                         'InvalidResourceURI</w:FaultDetail>'),
                      action='http://schemas.xmlsoap.org/ws/2004/08/addressing/fault')


def quota_fault(relates_to):
    text = ('The WS-Management service cannot process the request. This user is allowed a maximum number of 15 '
            'concurrent operations, which has been exceeded. Close existing operations for this user, or raise '
            'the quota for this user.')
    return soap_fault(relates_to, 'Receiver', 'w:QuotaLimit', text, wsman_fault_detail(0x803381A6, text))


def invalid_context_fault(relates_to):
    text = 'The enumeration context supplied in the message is not valid.'
    return soap_fault(relates_to, 'Receiver', 'n:InvalidEnumerationContext', text,
                      wsman_fault_detail(0x8033801B, text),
                      action='http://schemas.xmlsoap.org/ws/2004/09/enumeration/fault')


def identify_response():
    return ('<s:Envelope xmlns:s="%s" xmlns:wsmid="%s"><s:Header/><s:Body><wsmid:IdentifyResponse>'
            '<wsmid:ProtocolVersion>http://schemas.dmtf.org/wbem/wsman/1/wsman.xsd</wsmid:ProtocolVersion>'
            '<wsmid:ProductVendor>Veskin fake WinRM server</wsmid:ProductVendor>'
            '<wsmid:ProductVersion>OS: 10.0.17763 SP: 0.0 Stack: 3.0</wsmid:ProductVersion>'
            '<wsmid:SecurityProfiles><wsmid:SecurityProfileName>'
            'http://schemas.dmtf.org/wbem/wsman/1/wsman/secprofile/https/basic</wsmid:SecurityProfileName>'
            '</wsmid:SecurityProfiles></wsmid:IdentifyResponse></s:Body></s:Envelope>' % (NS['s'], NS['wsmid']))
