#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A light reading of a classic PDF file, enough to check its structure.
struct XrefEntry {
  uint64_t offset = 0;
  bool inUse = false;
};

// The entries of the single cross-reference section; empty if it is missing.
std::vector<XrefEntry> ReadXref(const std::string& pdf);

// Object numbers in the order their "N 0 obj" lines appear.
std::vector<int> ObjectOrder(const std::string& pdf);

// The text between "N 0 obj" and its "endobj".
std::string ObjectText(const std::string& pdf, int number);

// Runs `qpdf --check` on the file; returns its output, empty string on success
// without warnings, and sets `ok`.
std::string QpdfCheck(const std::string& path, bool* ok, const std::string& password = "");

}  // namespace testing_support
