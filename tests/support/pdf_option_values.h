#pragma once

#include <string>
#include <vector>

#include "app/pdf_options.h"
#include "platform/registry_store.h"

namespace testing_support {

// Options with every field at an allowed value other than its default (texts
// and passwords with characters beyond ASCII).
app::PdfOptions OptionsOffTheDefaults();

// "Name: a != b" for every field where the two differ; passwords compare as
// the bytes a PDF password is made of.
std::vector<std::string> OptionDifferences(const app::PdfOptions& a, const app::PdfOptions& b);

// A value of the registry type the field is not stored as.
platform::RegValue WrongTypeFor(const app::PdfOptionField& field);

}  // namespace testing_support
