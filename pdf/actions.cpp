#include "pdf/actions.h"

#include <cmath>

#include "pdf/document.h"
#include "pdf/navigation_messages.h"
#include "pdf/number_format.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_strings.h"

namespace pdf {

void TPDFAction::Write() {
  document_.BeginObject(objectNumber_);
  WriteBody();
  if (next_ != nullptr) document_.WriteKeyReference("/Next ", next_->ObjectNumber());
  document_.EndDictionary();
  document_.EndObject();
}

void TPDFURLAction::SetURL(const std::string& url) {
  if (url.empty()) throw TPDFException(msg::kEmptyUrl);
  url_ = url;
}

void TPDFURLAction::WriteBody() {
  TPDFDocument& document = Document();
  const std::string bytes = EncryptString(document.fileKey(), url_, ObjectNumber());
  document.WriteLine("/S /URI /URI (" + EscapeString(bytes) + ")");
}

void TPDFGoToPageAction::SetPageIndex(int32_t index) {
  if (index < 0) throw TPDFException(msg::kNegativePageIndex);
  pageIndex_ = index;
}

void TPDFGoToPageAction::SetTopOffset(int32_t offset) {
  if (offset < 0) throw TPDFException(msg::kNegativeTopOffset);
  topOffset_ = offset;
}

void TPDFGoToPageAction::WriteBody() {
  TPDFDocument& document = Document();
  TPDFPages& pages = document.Pages();
  const double top = pages.ExtYOf(pageIndex_, topOffset_);
  const std::string y = IntToStr(static_cast<int64_t>(std::nearbyint(top)));
  const std::string target = "/S /GoTo /D [" + IntToStr(pages.ObjectNumberOf(pageIndex_)) + " 0 R ";
  if (fitH_)
    document.WriteLine(target + "/FitH " + y + "]");
  else
    document.WriteLine(target + "/XYZ null " + y + " null ]");
}

TPDFURLAction& TPDFActions::CreateURLAction(const std::string& url) {
  auto action = std::make_unique<TPDFURLAction>(document_);
  action->SetURL(url);
  owned_.push_back(std::move(action));
  return static_cast<TPDFURLAction&>(*owned_.back());
}

TPDFGoToPageAction& TPDFActions::CreateGoToPageAction(int32_t pageIndex, int32_t topOffset) {
  auto action = std::make_unique<TPDFGoToPageAction>(document_);
  action->SetPageIndex(pageIndex);
  action->SetTopOffset(topOffset);
  owned_.push_back(std::move(action));
  return static_cast<TPDFGoToPageAction&>(*owned_.back());
}

int TPDFActions::IndexOf(const TPDFAction& action) const {
  for (size_t i = 0; i < registered_.size(); ++i)
    if (registered_[i] == &action) return static_cast<int>(i);
  return -1;
}

void TPDFActions::Add(TPDFAction& action) {
  if (registeredSet_.insert(&action).second) registered_.push_back(&action);
}

void TPDFActions::Clear() {
  registered_.clear();
  registeredSet_.clear();
  owned_.clear();
}

}  // namespace pdf
