#pragma once

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/metafile_player.h"

namespace emf2pdf {

class PageTrace;

// Plays a picture as the PDF page's form: measures the picture for the
// form's size, then plays it on a PDF device drawing on the form, with the
// document's resolution and metafile options.
class TEMWFormPlayer : public pdf::TPDFMetafilePlayer {
 public:
  // `emf` must outlive the player.
  explicit TEMWFormPlayer(const EmfReader& emf) : emf_(emf) {}

  // With a trace, the picture is played through a tee that tells it every
  // record and device call; null for none.
  void SetTrace(PageTrace* trace) { trace_ = trace; }

  Extent Load(pdf::TPDFPage& form) override;
  void Play() override;

  // Of the last play: records dropped because they did not fit or held
  // unusable values, and whether the walk reached the last record.
  int DroppedRecords() const { return droppedRecords_; }
  bool WalkCompleted() const { return walkCompleted_; }

 private:
  void PlayAndCount(TEMWParser& parser);

  const EmfReader& emf_;
  pdf::TPDFPage* form_ = nullptr;
  PlaySettings settings_;
  PageTrace* trace_ = nullptr;
  int droppedRecords_ = 0;
  bool walkCompleted_ = true;
};

}  // namespace emf2pdf
