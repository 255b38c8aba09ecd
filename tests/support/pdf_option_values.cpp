#include "support/pdf_option_values.h"

namespace testing_support {

namespace {

bool StoredAsNumber(const app::PdfOptionField& field) {
  return field.type == app::PdfOptionType::Flag || field.type == app::PdfOptionType::Number;
}

int OtherNumber(const app::PdfOptionField& field) {
  if (field.choices.empty()) return field.high != field.fallback ? field.high : field.low;
  const int last = field.choices.back().value;
  return last != field.fallback ? last : field.choices.front().value;
}

std::string ValueText(const app::PdfOptionField& field, const app::PdfOptions& options) {
  if (const auto flag = std::get_if<bool app::PdfOptions::*>(&field.member))
    return options.**flag ? "1" : "0";
  if (const auto number = std::get_if<int app::PdfOptions::*>(&field.member))
    return std::to_string(options.**number);
  const std::string& text = options.*std::get<std::string app::PdfOptions::*>(field.member);
  if (field.type != app::PdfOptionType::Password) return text;
  return app::PdfPasswordBytes(text).value_or("<refused>");
}

}  // namespace

app::PdfOptions OptionsOffTheDefaults() {
  app::PdfOptions options;
  for (const app::PdfOptionField& field : app::PdfOptionFields()) {
    if (const auto flag = std::get_if<bool app::PdfOptions::*>(&field.member))
      options.** flag = field.fallback == 0;
    else if (const auto number = std::get_if<int app::PdfOptions::*>(&field.member))
      options.** number = OtherNumber(field);
    else
      options.*std::get<std::string app::PdfOptions::*>(field.member) =
          std::string("caf\xC3\xA9 \xE2\x82\xAC ") + field.name;
  }
  return options;
}

std::vector<std::string> OptionDifferences(const app::PdfOptions& a, const app::PdfOptions& b) {
  std::vector<std::string> differences;
  for (const app::PdfOptionField& field : app::PdfOptionFields()) {
    const std::string left = ValueText(field, a);
    const std::string right = ValueText(field, b);
    if (left != right)
      differences.push_back(std::string(field.name) + ": " + left + " != " + right);
  }
  return differences;
}

platform::RegValue WrongTypeFor(const app::PdfOptionField& field) {
  return StoredAsNumber(field) ? platform::RegValue::String("1") : platform::RegValue::Dword(1);
}

}  // namespace testing_support
