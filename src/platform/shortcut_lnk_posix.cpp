// Shell links (.lnk) read through liblnk, on hosts without the Shell.
#include "platform/shortcut_files.h"

#include <liblnk.h>

#include <array>
#include <cstring>

namespace vx {
namespace {

// An error slot for one liblnk call; whatever liblnk put there is freed.
class LnkError {
  public:
    LnkError() = default;
    LnkError(const LnkError&) = delete;
    LnkError& operator=(const LnkError&) = delete;
    ~LnkError() { Reset(); }
    liblnk_error_t** Slot() {
        Reset();
        return &error_;
    }

  private:
    void Reset() {
        if (error_ != nullptr)
            liblnk_error_free(&error_);
    }
    liblnk_error_t* error_ = nullptr;
};

class LnkFile {
  public:
    LnkFile() {
        LnkError error;
        if (liblnk_file_initialize(&file_, error.Slot()) != 1)
            file_ = nullptr;
    }
    LnkFile(const LnkFile&) = delete;
    LnkFile& operator=(const LnkFile&) = delete;
    ~LnkFile() {
        LnkError error;
        if (open_)
            liblnk_file_close(file_, error.Slot());
        if (file_ != nullptr)
            liblnk_file_free(&file_, error.Slot());
    }

    bool Open(const std::filesystem::path& path, int codePage) {
        if (file_ == nullptr)
            return false;
        LnkError error;
        // An unknown code page keeps liblnk's default (Windows-1252).
        liblnk_file_set_ascii_codepage(file_, codePage, error.Slot());
        open_ = liblnk_file_open(file_, path.c_str(), LIBLNK_OPEN_READ, error.Slot()) == 1;
        return open_;
    }

    using SizeGetter = int (*)(liblnk_file_t*, size_t*, liblnk_error_t**);
    using TextGetter = int (*)(liblnk_file_t*, uint8_t*, size_t, liblnk_error_t**);

    // One of liblnk's UTF-8 strings; empty when the link does not hold it.
    std::string Text(SizeGetter sizeOf, TextGetter get) {
        LnkError error;
        size_t size = 0;
        if (sizeOf(file_, &size, error.Slot()) != 1 || size == 0)
            return {};
        std::string text(size, '\0');
        if (get(file_, reinterpret_cast<uint8_t*>(text.data()), size, error.Slot()) != 1)
            return {};
        text.resize(strnlen(text.data(), size));
        return text;
    }

  private:
    liblnk_file_t* file_ = nullptr;
    bool open_ = false;
};

bool IsLnkCodePage(int codePage) {
    constexpr std::array<int, 14> known{874,  932,  936,  949,  950,  1250, 1251,
                                        1252, 1253, 1254, 1255, 1256, 1257, 1258};
    for (int k : known)
        if (k == codePage)
            return true;
    return false;
}

} // namespace

std::optional<LnkFields> ReadLnkFile(const std::filesystem::path& file, int ansiCodePage) {
    LnkFile link;
    if (!link.Open(file, IsLnkCodePage(ansiCodePage) ? ansiCodePage : 1252))
        return std::nullopt;
    LnkFields fields;
    fields.localPath = link.Text(liblnk_file_get_utf8_local_path_size, liblnk_file_get_utf8_local_path);
    fields.environmentLocation = link.Text(liblnk_file_get_utf8_environment_variables_location_size,
                                           liblnk_file_get_utf8_environment_variables_location);
    fields.networkPath = link.Text(liblnk_file_get_utf8_network_path_size, liblnk_file_get_utf8_network_path);
    fields.workingDirectory =
        link.Text(liblnk_file_get_utf8_working_directory_size, liblnk_file_get_utf8_working_directory);
    return fields;
}

} // namespace vx
