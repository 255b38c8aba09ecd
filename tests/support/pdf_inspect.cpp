#include "support/pdf_inspect.h"

#include <cstdlib>
#include <regex>

#include "support/temp_folder.h"

namespace testing_support {

std::vector<XrefEntry> ReadXref(const std::string& pdf) {
  std::vector<XrefEntry> entries;
  const auto start = pdf.rfind("startxref\r\n");
  if (start == std::string::npos) return entries;
  const uint64_t at = std::strtoull(pdf.c_str() + start + 11, nullptr, 10);
  if (at >= pdf.size() || pdf.compare(at, 6, "xref\r\n") != 0) return entries;
  size_t pos = at + 6;
  const auto lineEnd = pdf.find("\r\n", pos);
  const int count = std::atoi(pdf.substr(pos + 2, lineEnd - pos - 2).c_str());
  pos = lineEnd + 2;
  for (int i = 0; i < count && pos + 20 <= pdf.size(); ++i, pos += 20) {
    XrefEntry entry;
    entry.offset = std::strtoull(pdf.substr(pos, 10).c_str(), nullptr, 10);
    entry.inUse = pdf[pos + 17] == 'n';
    entries.push_back(entry);
  }
  return entries;
}

std::vector<int> ObjectOrder(const std::string& pdf) {
  std::vector<int> order;
  static const std::regex kObject("(^|\\n)(\\d+) 0 obj\\r\\n");
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), kObject);
       it != std::sregex_iterator(); ++it)
    order.push_back(std::stoi((*it)[2]));
  return order;
}

std::string ObjectText(const std::string& pdf, int number) {
  const std::string head = std::to_string(number) + " 0 obj\r\n";
  size_t at = pdf.find("\n" + head);
  if (at == std::string::npos) return {};
  at += 1 + head.size();
  const size_t end = pdf.find("endobj\r\n", at);
  return pdf.substr(at, end - at);
}

std::string QpdfCheck(const std::string& path, bool* ok, const std::string& password) {
  std::string output;
  const std::string passwordArg = password.empty() ? "" : " --password='" + password + "'";
  const int status = RunCommand("qpdf --check" + passwordArg + " '" + path + "' 2>&1", &output);
  *ok = status == 0 && output.find("WARNING") == std::string::npos;
  return output;
}

}  // namespace testing_support
