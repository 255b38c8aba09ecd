#include "platform/work_pool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/jpeg_output.h"
#include "emf2pdf/emf2pdf_converter.h"
#include "support/emf_convert_support.h"
#include "support/graphics_test_support.h"
#include "support/hive_fixture.h"
#include "support/temp_folder.h"

namespace {

using platform::WorkPool;

TEST(WorkPool, deliversEveryResultAndError_andRunsOnTheCallerWhenAlone) {
  for (const int size : {1, 3}) {
    WorkPool pool(size);
    std::vector<std::future<int>> results;
    for (int i = 0; i < 200; ++i) results.push_back(pool.Submit([i] { return i * i; }));
    auto failing = pool.Submit([]() -> int { throw std::runtime_error("bad stream"); });
    for (int i = 0; i < 200; ++i) EXPECT_EQ(pool.Wait(results[static_cast<size_t>(i)]), i * i);
    EXPECT_THROW(pool.Wait(failing), std::runtime_error);
  }
  WorkPool alone(1);
  auto where = alone.Submit([] { return std::this_thread::get_id(); });
  EXPECT_EQ(where.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_EQ(where.get(), std::this_thread::get_id());
}

TEST(WorkPool, sizeFollowsTheEnvironmentOrTheAffinity) {
  const char* saved = std::getenv("TALLOWCRAFT_THREADS");
  const std::string restore = saved ? saved : "";
  setenv("TALLOWCRAFT_THREADS", "3", 1);
  EXPECT_EQ(platform::UsableThreads(), 3);
  setenv("TALLOWCRAFT_THREADS", "0", 1);  // not a size: the affinity decides
  EXPECT_GE(platform::UsableThreads(), 1);
  EXPECT_LE(platform::UsableThreads(), static_cast<int>(std::thread::hardware_concurrency()));
  if (saved)
    setenv("TALLOWCRAFT_THREADS", restore.c_str(), 1);
  else
    unsetenv("TALLOWCRAFT_THREADS");
}

// The identifier hashes the time of writing: "/ID [<id><id>]".
std::string WithoutIdentifier(std::string pdf) {
  const size_t id = pdf.rfind("/ID [<");
  if (id != std::string::npos && id + 72 < pdf.size()) {
    pdf.replace(id + 6, 32, 32, '0');
    pdf.replace(id + 40, 32, 32, '0');
  }
  return pdf;
}

// Several corpus pages with text, pictures, pattern brushes and gradients.
std::string ConvertVaried(const std::string& pdfPath, WorkPool& pool, bool protect,
                          pdf::TPDFKeyLength keyLength = pdf::kl128) {
  static const char* kPages[] = {"hughbe-emfreader/EMFSpool_0012.emf",
                                 "hughbe-emfreader/LibreOffice_TextureBrush.emf",
                                 "hughbe-emfreader/LibreOffice_TestLinearGradient.emf",
                                 "degformer/image1.emf", "hughbe-emfreader/EMFSpool_0012.emf"};
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetWorkPool(pool);
  converter.SetFileName(pdfPath);
  converter.SetCompression(pdf::ctFlate);
  converter.SetVersion(pdf::v16);
  converter.DocumentInfo().CreationDate = std::chrono::system_clock::time_point();
  if (protect) {
    converter.SetProtectionEnabled(true);
    converter.SetProtectionKeyLength(keyLength);
    converter.SetUserPassword("user");
  }
  converter.BeginDoc();
  for (const char* page : kPages)
    converter.AddDocument({std::string(TALLOWCRAFT_CORPUS_DIR) + "/emf/" + page});
  EXPECT_TRUE(converter.Convert()) << converter.LastError();
  converter.EndDoc();
  return WithoutIdentifier(testing_support::ReadFile(pdfPath));
}

// What qpdf reads out of a protected file, with its own fixed identifier.
std::string Decrypted(const std::string& path) {
  std::string output;
  EXPECT_EQ(graphics_test::RunCommand("qpdf --password=user --check " + path + " 2>&1", &output), 0)
      << output;
  EXPECT_EQ(graphics_test::RunCommand("qpdf --password=user --decrypt --static-id " + path + " " +
                                          path + ".plain.pdf 2>&1",
                                      &output),
            0)
      << output;
  return WithoutIdentifier(testing_support::ReadFile(path + ".plain.pdf"));
}

TEST(WorkPool, pdfFromThePoolEqualsTheOneThreadFile_plainAndEncrypted) {
  testing_support::TempFolder folder;
  WorkPool one(1), three(3);
  const std::string single = ConvertVaried(folder.file("one.pdf"), one, false);
  EXPECT_GT(single.size(), 100000u);
  EXPECT_TRUE(ConvertVaried(folder.file("three.pdf"), three, false) == single);
  std::string output;
  EXPECT_EQ(
      graphics_test::RunCommand("qpdf --check " + folder.file("three.pdf") + " 2>&1", &output), 0)
      << output;
  // The key hashes the identifier, and AES draws a vector per stream: what
  // the streams decrypt to must match.
  for (const pdf::TPDFKeyLength keyLength : {pdf::kl128, pdf::klAES256}) {
    ConvertVaried(folder.file("p1.pdf"), one, true, keyLength);
    ConvertVaried(folder.file("p3.pdf"), three, true, keyLength);
    EXPECT_TRUE(Decrypted(folder.file("p3.pdf")) == Decrypted(folder.file("p1.pdf")));
  }
}

// Picture outputs and movie slides: pages drawn and encoded on the pool
// come out as a single thread makes them, each in its own place.
TEST(WorkPool, picturePagesFromThePoolEqualTheOneThreadFiles) {
  testing_support::TempFolder folder;
  const std::string corpus = std::string(TALLOWCRAFT_CORPUS_DIR) + "/emf/";
  const std::vector<std::string> pages = {
      corpus + "hughbe-emfreader/LibreOffice_TestDrawString.emf",
      corpus + "hughbe-emfreader/LibreOffice_TextureBrush.emf", corpus + "degformer/image4.emf",
      corpus + "hughbe-emfreader/LibreOffice_TestDrawLine.emf"};
  const auto convert = [&](const std::string& output, int threads,
                           const std::vector<std::string>& inputs) {
    std::vector<std::string> arguments{"convert"};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    arguments.insert(arguments.end(), {"-o", folder.file(output)});
    return testing_support::RunProgram(TALLOWCRAFT_BIN, arguments,
                                       {"TALLOWCRAFT_THREADS=" + std::to_string(threads)});
  };
  for (const std::string kind : {"png", "tif", "swf"}) {
    ASSERT_EQ(convert("one." + kind, 1, pages).exitStatus, 0);
    ASSERT_EQ(convert("three." + kind, 3, pages).exitStatus, 0);
    const int files = kind == "png" ? 4 : 1;
    for (int page = 1; page <= files; ++page) {
      const std::string number = files > 1 ? std::to_string(page) : "";
      const std::string single =
          testing_support::ReadFile(folder.file("one" + number + "." + kind));
      EXPECT_GT(single.size(), 100u);
      EXPECT_TRUE(testing_support::ReadFile(folder.file("three" + number + "." + kind)) == single)
          << kind << " page " << page;
    }
  }
  // Drawn in this process's pool: the broken page's fault is reported once
  // the pages before it are done, and nothing is left.
  testing_support::WriteFile(folder.file("broken.emf"), std::string(200, 'x'));
  std::vector<std::string> withBroken = pages;
  withBroken.insert(withBroken.begin() + 2, folder.file("broken.emf"));
  try {
    app::WriteJpegPages(emf2pdf::WholeFilePages(withBroken), folder.file("failed.jpg"),
                        {96, 96, "test"});
    ADD_FAILURE() << "a job with a broken page succeeded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("failed3.jpg (page 3 of 5)"), std::string::npos)
        << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("failed1.jpg")));
}

}  // namespace
