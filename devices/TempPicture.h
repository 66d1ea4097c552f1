#pragma once
// Short-lived picture files of the canvas device: named like every other
// temporary file of the program (UniqueTempName) and created only when the
// name is free, so that nothing already there is followed or overwritten.
#include <cstdint>
#include <span>
#include <string>

namespace temp_picture {

// Creates a new file holding `bytes`, named by UniqueTempName(prefix), with
// ".tmp" changed to `extension` when one is given (".wmf"). A name taken
// between the choice and the creation, or taken in its changed extension,
// moves on to the next number. Throws platform::PictureError when no file can
// be created.
std::string CreateTempPictureFile(const std::string& prefix, const std::string& extension,
                                  std::span<const uint8_t> bytes);

}  // namespace temp_picture
