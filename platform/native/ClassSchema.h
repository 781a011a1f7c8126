#pragma once
// The native service's classes, built from the data files in platform/native/schemas/
// (one file per class, compiled into the program; the line format is described in the
// README there).
#include <string>
#include <string_view>
#include <vector>

#include "platform/WbemClass.h"
#include "platform/WbemRepository.h"

namespace veskin {

struct ClassSchemaText {
    std::string_view ClassName;   // the file's name without ".schema"
    std::string_view Superclass;  // the name on its "superclass" line, read by the build
    std::string_view Text;
};
// Every data file of the folder, by class name (made by the build).
const std::vector<ClassSchemaText>& EmbeddedClassSchemas();

struct ParsedClassSchema {
    WbemClassPtr Class;               // the lines that could be read (derivation not yet known)
    std::string Superclass;           // the "superclass" line's name; empty for a root class
    bool IsAbstract = false;          // an "abstract" line: the class has no provider
    std::vector<std::string> Errors;  // "line N: what is wrong"
};
ParsedClassSchema ParseClassSchema(std::string_view className, std::string_view text);

// The class of that name built from its data file, once, with its superclasses' chain
// (each superclass from its own file). A missing or faulty file is a fault of the
// build: std::logic_error.
WbemClassPtr NativeSchemaClass(std::string_view className);

// The superclasses of that class, nearest first, from the files' Superclass alone; the
// same list as NativeSchemaClass(className)->Derivation().
std::vector<WideString> NativeSchemaDerivation(std::string_view className);

// The class of that name as a deferred class: made by NativeSchemaClass when first needed.
WbemDeferredClass NativeDeferredClass(std::string_view className);

}  // namespace veskin
