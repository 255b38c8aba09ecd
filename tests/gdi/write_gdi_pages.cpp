// Writes the GDI test pages as NAME.emf into the folder given, for
// scripts/gdi-references to render through GDI.
#include <cstdio>
#include <string>

#include "support/gdi_pages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_gdi_pages FOLDER\n");
    return 1;
  }
  for (const auto& page : gdi_test::GdiPages())
    page.oracle.value_or(page.picture).writeFile(std::string(argv[1]) + "/" + page.name + ".emf");
  return 0;
}
