#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/page_source.h"

namespace app {

// The print job as the port side describes it in its INI file.
struct JobDescription {
  std::string path;
  std::string documentName;
  int32_t paperWidth = 0;
  int32_t paperLength = 0;
  std::string count;                   // the Count value as written, for messages
  std::vector<std::string> pageFiles;  // the File<n> keys below Count that exist, in order
  std::string missingKey;              // the first File<n> below Count that is absent or empty
  // The pages of those files in order (a spool file gives all of its own);
  // filled by ExpandJobPages.
  std::vector<emf2pdf::PageSource> pages;
};

// nullopt when the file is missing or unreadable. Only the keys present are
// kept, so a huge Count costs nothing.
std::optional<JobDescription> ReadJobDescription(const std::string& path);

// Throws std::runtime_error saying why when the job lists no page to print
// or lacks one of its pages: a job that makes nothing must not replace the
// previous output with an empty document.
void RequireUsablePages(const JobDescription& job);

// Fills the job's pages from its files: an EMF spool file gives every page
// in it, any other file one page (which says what is wrong with it when it
// is drawn). Throws for a damaged spool file.
void ExpandJobPages(JobDescription& job);

}  // namespace app
