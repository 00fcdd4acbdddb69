// Pictures for sample contacts, drawn with cairo and encoded as real JPEG or PNG bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sample {

enum class PictureKind { Face, Pattern };
enum class PictureFormat { JPEG, PNG };

struct Picture {
  std::vector<uint8_t> bytes;
  int width = 0;
  int height = 0;
  PictureFormat format = PictureFormat::JPEG;
};

// A face-like drawing or a pattern of the given size; the variant picks colours and shapes, so
// the same arguments always give the same bytes. PNG faces keep a transparent background.
Picture drawPicture(PictureKind kind, int width, int height, uint32_t variant,
                    PictureFormat format);

const char* formatName(PictureFormat format);

}  // namespace sample
