#pragma once
// Exception classes of the run-time: a root class carrying a message, and the
// specialised classes the library and the window raise.
#include <cstdint>
#include <exception>
#include <string>

namespace veskin {

// Root of every exception the system raises on purpose. The message is 8-bit text.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// Record-set conditions ("WQL is not defined", "Record not found", ...).
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// Text that cannot be converted ("'%s' is not a valid integer value", ...).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Variant errors; EVariantTypeCastError is "Could not convert variant of type (A) into type (B)".
class EVariantError : public Exception {
public:
    using Exception::Exception;
};
class EVariantTypeCastError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
class EVariantOverflowError : public EVariantError {
public:
    using EVariantError::EVariantError;
};
class EVariantBadIndexError : public EVariantError {
public:
    using EVariantError::EVariantError;
};

// An object asked for an interface it does not have ("Interface not supported").
class EIntfCastError : public Exception {
public:
    using Exception::Exception;
};

// File input/output failures; ErrorCode is the system's error number.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode = 0)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

// Index out of range in a list ("List index out of bounds (%d)").
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Assigning an object of an unsuitable class ("Cannot assign a %s to a %s").
class EConvertAssignError : public EConvertError {
public:
    using EConvertError::EConvertError;
};

}  // namespace veskin
