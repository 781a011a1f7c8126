#include "platform/wsman/GssContext.h"

#include <gssapi/gssapi.h>
#include <gssapi/gssapi_ext.h>
#include <gssapi/gssapi_krb5.h>
#include <krb5/krb5.h>

namespace veskin {

namespace {

gss_OID_desc SpnegoOid = {6, const_cast<char*>("\x2b\x06\x01\x05\x05\x02")};
// gss-ntlmssp's mechanism, 1.3.6.1.4.1.311.2.2.10.
gss_OID_desc NtlmOid = {10, const_cast<char*>("\x2b\x06\x01\x04\x01\x82\x37\x02\x02\x0a")};

gss_OID InnerMechanism(GssWire wire) {
    return wire == GssWire::SpnegoNtlm || wire == GssWire::Ntlm ? &NtlmOid : gss_mech_krb5;
}

gss_OID WireMechanism(GssWire wire) {
    switch (wire) {
        case GssWire::SpnegoKerberos:
        case GssWire::SpnegoNtlm: return &SpnegoOid;
        case GssWire::Kerberos: return gss_mech_krb5;
        case GssWire::Ntlm: return &NtlmOid;
    }
    return &SpnegoOid;
}

gss_buffer_desc View(std::string_view text) { return {text.size(), const_cast<char*>(text.data())}; }

std::string StatusText(OM_uint32 code, int type) {
    std::string text;
    OM_uint32 context = 0;
    do {
        OM_uint32 minor = 0;
        gss_buffer_desc part = GSS_C_EMPTY_BUFFER;
        if (GSS_ERROR(gss_display_status(&minor, code, type, GSS_C_NO_OID, &context, &part))) break;
        if (!text.empty()) text += "; ";
        text.append(static_cast<const char*>(part.value), part.length);
        gss_release_buffer(&minor, &part);
    } while (context != 0);
    return text;
}

// The Windows security code closest to a Kerberos failure; the text says the rest.
HRESULT CodeOf(OM_uint32 major, OM_uint32 minor) {
    const auto is = [minor](long code) { return minor == static_cast<OM_uint32>(code); };
    if (is(KRB5KDC_ERR_PREAUTH_FAILED) || is(KRB5KRB_AP_ERR_BAD_INTEGRITY) || is(KRB5KDC_ERR_C_PRINCIPAL_UNKNOWN))
        return E_ACCESSDENIED;  // the realm refused the user or the password
    if (is(KRB5_KDC_UNREACH) || is(KRB5_REALM_CANT_RESOLVE) || is(KRB5_REALM_UNKNOWN) || is(KRB5_CONFIG_NODEFREALM))
        return SEC_E_NO_AUTHENTICATING_AUTHORITY;
    if (is(KRB5KDC_ERR_S_PRINCIPAL_UNKNOWN)) return SEC_E_TARGET_UNKNOWN;
    if (is(KRB5_FCC_NOFILE) || is(KRB5_CC_NOTFOUND) || GSS_ROUTINE_ERROR(major) == GSS_S_NO_CRED)
        return SEC_E_NO_CREDENTIALS;
    return E_ACCESSDENIED;
}

}  // namespace

struct GssContext::Handles {
    gss_cred_id_t Credential = GSS_C_NO_CREDENTIAL;
    gss_name_t Target = GSS_C_NO_NAME;
    gss_ctx_id_t Context = GSS_C_NO_CONTEXT;
    std::vector<unsigned char> ChannelBinding;

    ~Handles() {
        OM_uint32 minor = 0;
        if (Context != GSS_C_NO_CONTEXT) gss_delete_sec_context(&minor, &Context, GSS_C_NO_BUFFER);
        if (Target != GSS_C_NO_NAME) gss_release_name(&minor, &Target);
        if (Credential != GSS_C_NO_CREDENTIAL) gss_release_cred(&minor, &Credential);
    }
};

GssContext::GssContext() : FHandles(std::make_unique<Handles>()) {}

GssContext::~GssContext() = default;

HRESULT GssContext::Fail(unsigned major, unsigned minor, const char* what) {
    std::string text = minor != 0 ? StatusText(minor, GSS_C_MECH_CODE) : std::string();
    if (text.empty() || text.find("Unknown error") != std::string::npos) {
        const std::string general = StatusText(major, GSS_C_GSS_CODE);
        text = text.empty() ? general : general + " (" + text + ")";
    }
    FError = std::string(what) + ": " + text;
    return CodeOf(major, minor);
}

HRESULT GssContext::Begin(GssWire wire, const std::string& userName, const std::string& password,
                          const std::string& target, bool targetIsPrincipal,
                          const std::vector<unsigned char>& channelBinding) {
    FHandles = std::make_unique<Handles>();
    FWire = wire;
    FError.clear();
    FHandles->ChannelBinding = channelBinding;
    OM_uint32 minor = 0;

    gss_buffer_desc targetText = View(target);
    OM_uint32 major = gss_import_name(&minor, &targetText,
                                      targetIsPrincipal ? GSS_KRB5_NT_PRINCIPAL_NAME : GSS_C_NT_HOSTBASED_SERVICE,
                                      &FHandles->Target);
    if (GSS_ERROR(major)) return Fail(major, minor, "the service name is not valid");

    gss_OID_set_desc wireSet = {1, WireMechanism(wire)};
    if (userName.empty()) {
        major = gss_acquire_cred(&minor, GSS_C_NO_NAME, GSS_C_INDEFINITE, &wireSet, GSS_C_INITIATE,
                                 &FHandles->Credential, nullptr, nullptr);
        if (GSS_ERROR(major)) return Fail(major, minor, "no credentials of your own");
    } else {
        gss_name_t user = GSS_C_NO_NAME;
        gss_buffer_desc userText = View(userName);
        major = gss_import_name(&minor, &userText, GSS_C_NT_USER_NAME, &user);
        if (GSS_ERROR(major)) return Fail(major, minor, "the user name is not valid");
        gss_buffer_desc secret = View(password);
        major = gss_acquire_cred_with_password(&minor, user, &secret, GSS_C_INDEFINITE, &wireSet, GSS_C_INITIATE,
                                               &FHandles->Credential, nullptr, nullptr);
        OM_uint32 ignored = 0;
        gss_release_name(&ignored, &user);
        if (GSS_ERROR(major))
            return Fail(major, minor, Kerberos() ? "Kerberos refused the account" : "NTLM refused the account");
    }
    if (&SpnegoOid == WireMechanism(wire)) {
        // SPNEGO offers exactly the one mechanism chosen, never whatever else is at hand.
        gss_OID_set_desc inner = {1, InnerMechanism(wire)};
        major = gss_set_neg_mechs(&minor, FHandles->Credential, &inner);
        if (GSS_ERROR(major)) return Fail(major, minor, "SPNEGO");
    }
    return S_OK;
}

HRESULT GssContext::Step(std::string_view input, std::string& output, bool& complete) {
    output.clear();
    complete = false;
    OM_uint32 minor = 0;
    gss_buffer_desc in = View(input);
    gss_buffer_desc out = GSS_C_EMPTY_BUFFER;
    gss_channel_bindings_struct bindings{};
    const bool bound = !FHandles->ChannelBinding.empty();
    std::string application;
    if (bound) {
        application = "tls-server-end-point:";
        application.append(FHandles->ChannelBinding.begin(), FHandles->ChannelBinding.end());
        bindings.application_data = View(application);
    }
    const OM_uint32 flags = GSS_C_MUTUAL_FLAG | GSS_C_REPLAY_FLAG | GSS_C_SEQUENCE_FLAG | GSS_C_CONF_FLAG |
                            GSS_C_INTEG_FLAG;
    OM_uint32 granted = 0;
    const OM_uint32 major =
        gss_init_sec_context(&minor, FHandles->Credential, &FHandles->Context, FHandles->Target,
                             WireMechanism(FWire), flags, 0, bound ? &bindings : GSS_C_NO_CHANNEL_BINDINGS,
                             input.empty() ? GSS_C_NO_BUFFER : &in, nullptr, &out, &granted, nullptr);
    if (out.length != 0) output.assign(static_cast<const char*>(out.value), out.length);
    OM_uint32 ignored = 0;
    gss_release_buffer(&ignored, &out);
    if (GSS_ERROR(major)) return Fail(major, minor, Kerberos() ? "Kerberos" : "NTLM");
    complete = major == GSS_S_COMPLETE;
    if (complete && !(granted & GSS_C_CONF_FLAG)) {
        FError = "the security context offers no message encryption";
        return E_ACCESSDENIED;
    }
    return S_OK;
}

HRESULT GssContext::Seal(std::string_view plain, std::string& header, std::string& sealed) {
    OM_uint32 minor = 0;
    int confidential = 0;
    if (!Kerberos()) {
        gss_buffer_desc in = View(plain);
        gss_buffer_desc out = GSS_C_EMPTY_BUFFER;
        const OM_uint32 major = gss_wrap(&minor, FHandles->Context, 1, GSS_C_QOP_DEFAULT, &in, &confidential, &out);
        if (GSS_ERROR(major) || out.length < 16) return Fail(major, minor, "sealing the message");
        const char* data = static_cast<const char*>(out.value);
        header.assign(data, 16);
        sealed.assign(data + 16, out.length - 16);
        OM_uint32 ignored = 0;
        gss_release_buffer(&ignored, &out);
        return S_OK;
    }
    sealed.assign(plain);
    gss_iov_buffer_desc iov[3] = {};
    iov[0].type = GSS_IOV_BUFFER_TYPE_HEADER | GSS_IOV_BUFFER_FLAG_ALLOCATE;
    iov[1].type = GSS_IOV_BUFFER_TYPE_DATA;
    iov[1].buffer = View(sealed);
    iov[2].type = GSS_IOV_BUFFER_TYPE_PADDING | GSS_IOV_BUFFER_FLAG_ALLOCATE;
    const OM_uint32 major = gss_wrap_iov(&minor, FHandles->Context, 1, GSS_C_QOP_DEFAULT, &confidential, iov, 3);
    if (GSS_ERROR(major)) return Fail(major, minor, "sealing the message");
    header.assign(static_cast<const char*>(iov[0].buffer.value), iov[0].buffer.length);
    sealed.append(static_cast<const char*>(iov[2].buffer.value), iov[2].buffer.length);
    OM_uint32 ignored = 0;
    gss_release_iov_buffer(&ignored, iov, 3);
    return S_OK;
}

HRESULT GssContext::Unseal(std::string_view header, std::string_view sealed, std::string& plain) {
    OM_uint32 minor = 0;
    int confidential = 0;
    gss_qop_t qop = 0;
    if (!Kerberos()) {
        std::string token;
        token.reserve(header.size() + sealed.size());
        token.append(header).append(sealed);
        gss_buffer_desc in = View(token);
        gss_buffer_desc out = GSS_C_EMPTY_BUFFER;
        const OM_uint32 major = gss_unwrap(&minor, FHandles->Context, &in, &out, &confidential, &qop);
        if (GSS_ERROR(major)) return Fail(major, minor, "unsealing the answer");
        plain.assign(static_cast<const char*>(out.value), out.length);
        OM_uint32 ignored = 0;
        gss_release_buffer(&ignored, &out);
    } else {
        std::string head(header);
        plain.assign(sealed);
        gss_iov_buffer_desc iov[2] = {};
        iov[0].type = GSS_IOV_BUFFER_TYPE_HEADER;
        iov[0].buffer = View(head);
        iov[1].type = GSS_IOV_BUFFER_TYPE_DATA;
        iov[1].buffer = View(plain);
        const OM_uint32 major = gss_unwrap_iov(&minor, FHandles->Context, &confidential, &qop, iov, 2);
        if (GSS_ERROR(major)) return Fail(major, minor, "unsealing the answer");
        plain.resize(iov[1].buffer.length);
    }
    if (!confidential) {
        FError = "the answer was signed but not encrypted";
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace veskin
