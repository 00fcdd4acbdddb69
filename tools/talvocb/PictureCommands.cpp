// picture, monogram and preload: the library's pictures written as PNG files.
#include <cstdio>
#include <vector>

#include "CliContext.h"
#include "ContactIdentifier.h"
#include "ImageCacheState.h"
#include "NumberRange.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+Preload.h"
#include "TalvoCBUtils+Retrieval.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

namespace {
struct MonogramOptions {
  std::string text;
  long contactID = 0;
  std::vector<double> size{40, 40};
  std::string output;
};

struct PictureOptions {
  int32_t contactID = 0;
  std::vector<double> size{60, 60};
  bool newImage = false;
  std::string output;
};

// Writes the picture; the PNG has the picture's pixel size (points times scale).
void writePicture(CliContext& context, const UIImagePtr& image, const std::string& output) {
  if (!image) return context.failure("no picture");
  if (!UIImageWritePNGToFile(image, output)) return context.failure(output + ": cannot be written");
  std::printf("%s: %g x %g points @%gx (%zu x %zu pixels)\n", output.c_str(), image->size().width,
              image->size().height, image->scale(), CGImageGetWidth(image->CGImage()),
              CGImageGetHeight(image->CGImage()));
}
}  // namespace

void addPictureCommands(CLI::App& app, CliContext& context) {
  static MonogramOptions monogram;
  auto* command = app.add_subcommand(
      "monogram", "Writes the monogram of TEXT (monogramImage:contactID:size:) as a PNG file");
  command->add_option("TEXT", monogram.text, "The monogram text (initials)")->required();
  command->add_option("--id", monogram.contactID, "The contact identifier")
      ->transform(ContactIdentifier())
      ->capture_default_str();
  command->add_option("--size", monogram.size, "Width and height in points")
      ->expected(2)
      ->check(FiniteRange(1.0, 1024.0))
      ->capture_default_str();
  command->add_option("-o,--output", monogram.output, "The PNG file to write")->required();
  command->callback([&context] {
    context.enterDevice("monogram");
    auto image = TalvoCBUtils::monogramImage(monogram.text, monogram.contactID,
                                             CGSizeMake(monogram.size[0], monogram.size[1]));
    writePicture(context, image, monogram.output);
  });

  static PictureOptions picture;
  auto* pictureCommand = app.add_subcommand(
      "picture",
      "Writes the picture of contact N (getContactImageOnly:monogramText:newImage:size:font:, "
      "with the monogram text read from the address book and the system font) as a PNG file");
  pictureCommand->add_option("--id", picture.contactID, "The contact identifier")
      ->required()
      ->transform(ContactIdentifier());
  pictureCommand->add_option("--size", picture.size, "Width and height in points of a monogram")
      ->expected(2)
      ->check(FiniteRange(1.0, 1024.0))
      ->capture_default_str();
  pictureCommand->add_flag("--new", picture.newImage, "Look at the address book again (newImage)");
  pictureCommand->add_option("-o,--output", picture.output, "The PNG file to write")->required();
  pictureCommand->callback([&context] {
    context.enterDevice("picture");
    auto text = TalvoCBUtils::getMonogramTextFromAB(picture.contactID);
    auto image = TalvoCBUtils::getContactImageOnly(picture.contactID, text, picture.newImage,
                                                   CGSizeMake(picture.size[0], picture.size[1]),
                                                   UIFont::systemFontOfSize(17.0));
    requireReadableAddressBook();
    writePicture(context, image, picture.output);
  });

  app.add_subcommand("preload", "Runs prepareImageCache and prints how many pictures it holds")
      ->callback([&context] {
        context.enterDevice("preload");
        TalvoCBUtils::prepareImageCache();
        requireReadableAddressBook();
        std::printf("%zu\n", TalvoCBImageCacheCount());
      });
}
