// Finds and loads the media module, once.
#include "platform/media_module.h"

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace taleplay::platform {
namespace {

// Where the module stands: beside an installed program, in the library
// folder next to its own (`TALEPLAY_MEDIA_MODULE_FROM_BIN`, relative to the
// program's folder), so an unpacked or relocated installation finds its
// own; else where the build made it.
std::vector<std::string> candidates() {
    std::vector<std::string> out;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        out.push_back((self.parent_path() / TALEPLAY_MEDIA_MODULE_FROM_BIN).lexically_normal());
    out.emplace_back(TALEPLAY_MEDIA_MODULE_BUILT);
    return out;
}

bool refused = false;

const media::Module* load() {
    if (refused)
        return nullptr;
    std::string why;
    for (const std::string& path : candidates()) {
        std::error_code missing;
        if (!std::filesystem::is_regular_file(path, missing))
            continue; // also a folder on the way that cannot be read
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = ::dlerror();
            why = error ? error : path;
            continue;
        }
        auto entry = reinterpret_cast<TaleplayMediaModuleFunction>(
            ::dlsym(handle, TALEPLAY_MEDIA_MODULE_FUNCTION));
        const media::Module* module = entry ? entry() : nullptr;
        if (module && module->version == media::kModuleVersion)
            return module; // kept loaded for the rest of the program
        why = path + " is from another version of the player";
        ::dlclose(handle);
    }
    if (why.empty())
        why = "libtaleplay-media.so is not installed";
    std::fprintf(stderr, "taleplay: no sound, video or speech: %s\n", why.c_str());
    std::fflush(stderr);
    return nullptr;
}

} // namespace

void refuseMediaModule() {
    refused = true;
}

const media::Module* mediaModule() {
    static const media::Module* const module = load();
    return module;
}

} // namespace taleplay::platform
