// The image-list reader over any bytes (a blob with "MITL" in front, or a bare stream): what
// reads must write and read again to the same header, the same images pixel for pixel and the
// same bytes; one more icon must fit or be refused, never crash or over-allocate.

#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/image_list.h"

namespace {

using lxtv::platform::ImageList;

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
}

void checkSame(const ImageList& a, const ImageList& b) {
    check(a.count() == b.count() && a.capacity() == b.capacity() && a.grow() == b.grow(), "counts");
    check(a.width() == b.width() && a.height() == b.height() && a.flags() == b.flags(), "shape");
    check(a.backgroundColour() == b.backgroundColour() && a.overlays() == b.overlays(),
          "background or overlays");
    for (int i = 0; i < a.count(); ++i) check(a.image(i) == b.image(i), "pixels");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<ImageList> list = bytes.starts_with("MITL")
                                        ? lxtv::platform::readImageListBlob(bytes)
                                        : ImageList::read(bytes);
    if (!list) return 0;
    const std::string written = list->write();
    const std::optional<ImageList> again = ImageList::read(written);
    check(again.has_value(), "what was written does not read");
    checkSame(*list, *again);
    check(again->write() == written, "second write differs");

    QImage icon(3, 2, QImage::Format_ARGB32);
    icon.fill(0x80FF0000);
    const int slot = list->addIcon(icon);
    if (slot >= 0) {
        check(slot == again->count(), "icon slot");
        const std::optional<ImageList> grown = ImageList::read(list->write());
        check(grown.has_value(), "grown list does not read");
        checkSame(*list, *grown);
    }
    return 0;
}
