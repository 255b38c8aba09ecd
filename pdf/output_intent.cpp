#include "pdf/output_intent.h"

#include <lcms2.h>

#include <memory>

#include "pdf/pdf_exception.h"
#include "platform/shared_library.h"

namespace pdf {

namespace {

struct LittleCms {
  platform::SharedLibrary library{"liblcms2.so.2"};
  decltype(&cmsCreate_sRGBProfile) createSrgb = nullptr;
  decltype(&cmsSetProfileVersion) setVersion = nullptr;
  decltype(&cmsSaveProfileToMem) saveToMemory = nullptr;
  decltype(&cmsCloseProfile) closeProfile = nullptr;
  bool usable = false;

  LittleCms() {
    usable = library.Bind(createSrgb, "cmsCreate_sRGBProfile") &&
             library.Bind(setVersion, "cmsSetProfileVersion") &&
             library.Bind(saveToMemory, "cmsSaveProfileToMem") &&
             library.Bind(closeProfile, "cmsCloseProfile");
  }
};

[[noreturn]] void Fail(const std::string& what) {
  throw TPDFException("Cannot make the sRGB output profile: " + what);
}

std::string MakeSrgbProfile() {
  static const LittleCms cms;
  if (!cms.usable) Fail("Little CMS (liblcms2.so.2) cannot be loaded");
  const std::unique_ptr<void, decltype(cms.closeProfile)> profile(cms.createSrgb(),
                                                                  cms.closeProfile);
  if (!profile) Fail("cmsCreate_sRGBProfile failed");
  // Version 4 profiles came after PDF 1.4; saved as version 2, Little CMS
  // writes the curves and texts in the version 2 types.
  cms.setVersion(profile.get(), 2.1);
  cmsUInt32Number size = 0;
  if (!cms.saveToMemory(profile.get(), nullptr, &size) || size == 0)
    Fail("cmsSaveProfileToMem failed");
  std::string bytes(size, '\0');
  if (!cms.saveToMemory(profile.get(), bytes.data(), &size)) Fail("cmsSaveProfileToMem failed");
  bytes.resize(size);
  return bytes;
}

}  // namespace

const std::string& SrgbIccProfile() {
  static const std::string profile = MakeSrgbProfile();
  return profile;
}

}  // namespace pdf
