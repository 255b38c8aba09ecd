#pragma once

namespace pdf {

class TPDFPage;

// What a page needs of a metafile interpreter to draw a picture as a form
// object. The interpreter lives outside the PDF writer and implements this.
class TPDFMetafilePlayer {
 public:
  virtual ~TPDFMetafilePlayer() = default;

  struct Extent {
    double width = 0;   // device units (page pixels); may be negative
    double height = 0;
  };

  // Binds the player to the form that will receive the picture, reads the
  // picture's header and reports its extent. A zero (or non-finite) extent
  // ends the playback: the page drops the form and never calls Play.
  virtual Extent Load(TPDFPage& form) = 0;
  // Replays the picture onto the form given to Load.
  virtual void Play() = 0;
};

}  // namespace pdf
