// The C interface of the WebAssembly module: every function answers a JSON text (valid until the
// next call) or a number, and a failure the core raises becomes {"error": ...}, never an abort.
// Files are read in place through Module.quelvaneRead(file, offset, heap, target, count); long work
// reports to Module.quelvaneProgress(done, total), whose true answer cancels it.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <charconv>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bridge/BridgeSession.h"
#include "bridge/CodePageRows.h"
#include "bridge/JsBlockSource.h"
#include "extract/JsonWriter.h"

using quelvane::BridgeSession;
using quelvane::JsBlockSource;
using quelvane::NodePosition;

EM_JS(double, quelvane_js_read, (int file, double offset, std::uint8_t* target, double count),
      { return Module['quelvaneRead'](file, offset, HEAPU8, target, count); });

EM_JS(int, quelvane_js_progress, (double done, double total),
      { return Module['quelvaneProgress'] && Module['quelvaneProgress'](done, total) ? 1 : 0; });

namespace {

class JsProgress final : public quelvane::ProgressReporter {
  public:
    void progress(std::int64_t done, std::int64_t total) override {
        cancelled_ = quelvane_js_progress(static_cast<double>(done), static_cast<double>(total)) != 0;
    }
    bool cancelled() const override { return cancelled_; }

  private:
    bool cancelled_ = false;
};

// The pair a save opens with when its texts suggest none.
constexpr int kUnsuggestedEbcdic = 37;
constexpr int kUnsuggestedPc = 1252;

std::map<int, std::unique_ptr<BridgeSession>> sessions;
int nextHandle = 1;
std::string answer;

const char* answered(std::string text) {
    answer = std::move(text);
    return answer.c_str();
}

const char* failed(const std::string& reason) {
    return answered("{\"error\":" + quelvane::JsonWriter::quoted(reason) + "}");
}

// Runs `work` on the session `handle`, turning whatever it raises into an answer.
template <typename Work>
const char* guarded(int handle, Work work) {
    try {
        auto found = sessions.find(handle);
        if (found == sessions.end()) {
            return failed("no such save file is open");
        }
        return answered(work(*found->second));
    } catch (const std::bad_alloc&) {
        return failed("out of memory");
    } catch (const std::exception& failure) {
        return failed(failure.what());
    } catch (...) {
        return failed("an unknown failure");
    }
}

NodePosition position(int level, int index, int parent, int grandparent, const char* ifsPath) {
    NodePosition node;
    node.level = level;
    node.index = index;
    node.parentIndex = parent;
    node.grandparentIndex = grandparent;
    node.ifsPath = ifsPath != nullptr ? ifsPath : "";
    return node;
}

int keep(std::unique_ptr<BridgeSession> session) {
    const int handle = nextHandle++;
    sessions[handle] = std::move(session);
    return handle;
}

std::string withHandle(const std::string& json, int handle) {
    return "{\"handle\":" + std::to_string(handle) + "," + json.substr(1);
}

}  // namespace

extern "C" {

// Opens the file `file` of `size` bytes, read through Module.quelvaneRead; `byCcsid` non-zero
// reads records and exports by the fields' stored CCSIDs. An `ebcdic` of 0 asks for the pair the
// save's own texts suggest, else 37 and 1252: the save is read once by those and, where its texts
// suggest another pair, read again by that one (its catalog's texts are converted as it is read).
EMSCRIPTEN_KEEPALIVE const char* quelvane_open(int file, double size, int ebcdic, int pc, const char* name,
                                               int byCcsid) {
    try {
        const auto bytes = static_cast<std::int64_t>(size);
        const auto stored = [file, bytes] {
            return std::make_unique<JsBlockSource>(
                [file](std::int64_t offset, std::uint8_t* target, std::int64_t count) {
                    return static_cast<std::int64_t>(quelvane_js_read(file, static_cast<double>(offset),
                                                                      target, static_cast<double>(count)));
                },
                bytes);
        };
        const std::string shown = name != nullptr ? name : "";
        const bool suggest = ebcdic == 0;
        auto session = std::make_unique<BridgeSession>(suggest ? kUnsuggestedEbcdic : ebcdic,
                                                       suggest ? kUnsuggestedPc : pc, byCcsid != 0);
        std::string opened = session->open(stored, shown);
        const std::optional<quelvane::SuggestedPair> suggested =
            suggest ? session->suggestedPair() : std::nullopt;
        if (suggested &&
            (suggested->ebcdic != session->ebcdicCodePage() || suggested->pc != session->pcCodePage())) {
            session = std::make_unique<BridgeSession>(suggested->ebcdic, suggested->pc, byCcsid != 0);
            opened = session->open(stored, shown);
        }
        return answered(withHandle(opened, keep(std::move(session))));
    } catch (const std::exception& failure) {
        return failed(failure.what());
    } catch (...) {
        return failed("an unknown failure");
    }
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_open_held(int handle, int part, int object) {
    int held = 0;
    const char* text = guarded(handle, [&](BridgeSession& session) {
        std::string said;
        std::unique_ptr<BridgeSession> inner = session.openHeld(position(2, object, part, 0, nullptr), said);
        if (inner == nullptr) {
            return said;
        }
        held = keep(std::move(inner));
        return withHandle(said, held);
    });
    return text;
}

EMSCRIPTEN_KEEPALIVE void quelvane_close(int handle) {
    sessions.erase(handle);
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_tree(int handle) {
    return guarded(handle, [](BridgeSession& session) { return session.tree(); });
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_show(int handle, int level, int index, int parent, int grandparent,
                                               const char* ifsPath) {
    return guarded(handle, [&](BridgeSession& session) {
        return session.show(position(level, index, parent, grandparent, ifsPath));
    });
}

// Lists up to `slots` more record slots of the member shown last.
EMSCRIPTEN_KEEPALIVE const char* quelvane_more(int handle, double slots) {
    return guarded(handle,
                   [&](BridgeSession& session) { return session.more(static_cast<std::int64_t>(slots)); });
}

// The stored data of the object at a level-2 node as hex-dump lines, listed in place of its view.
EMSCRIPTEN_KEEPALIVE const char* quelvane_bytes(int handle, int part, int object) {
    return guarded(
        handle, [&](BridgeSession& session) { return session.bytes(position(2, object, part, 0, nullptr)); });
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_code_pages() {
    return answered(quelvane::codePageRowsJson());
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_rows(int handle, double first, double count) {
    return guarded(handle, [&](BridgeSession& session) {
        return session.rows(static_cast<std::int64_t>(first), static_cast<std::int64_t>(count));
    });
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_objects(int handle) {
    return guarded(handle, [](BridgeSession& session) { return session.objects(); });
}

// The object list's text over the rows named by `order`, row indices separated by commas.
EMSCRIPTEN_KEEPALIVE const char* quelvane_object_text(int handle, const char* order) {
    return guarded(handle, [&](BridgeSession& session) {
        std::vector<std::size_t> rows;
        const std::string_view text = order != nullptr ? order : "";
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.find(',', at), text.size());
            std::size_t row = 0;
            const auto [stop, error] = std::from_chars(text.data() + at, text.data() + end, row);
            if (error != std::errc() || stop != text.data() + end) {
                return std::string("{\"error\":\"not a list of rows\"}");
            }
            rows.push_back(row);
            at = end + 1;
        }
        return session.objectText(rows);
    });
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_check(int handle) {
    return guarded(handle, [](BridgeSession& session) { return session.check(); });
}

// The member at the node into `folder` (created), as format "txt", "doc" or "xls", a text file
// in `encoding` "pc" or "utf-8".
EMSCRIPTEN_KEEPALIVE const char* quelvane_export(int handle, int level, int index, int parent,
                                                 int grandparent, const char* format, int splitter,
                                                 const char* encoding, const char* folder) {
    return guarded(handle, [&](BridgeSession& session) {
        std::filesystem::create_directories(folder);
        JsProgress progress;
        return session.exportMember(position(level, index, parent, grandparent, nullptr), format,
                                    splitter != 0, encoding, folder, progress);
    });
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_batch(int handle, int level, int index, int parent, int grandparent,
                                                const char* format, int splitter, const char* encoding,
                                                const char* folder) {
    return guarded(handle, [&](BridgeSession& session) {
        std::filesystem::create_directories(folder);
        JsProgress progress;
        return session.exportBatch(position(level, index, parent, grandparent, nullptr), format,
                                   splitter != 0, encoding, folder, progress);
    });
}

EMSCRIPTEN_KEEPALIVE const char* quelvane_extract(int handle, const char* folder) {
    return guarded(handle, [&](BridgeSession& session) {
        std::filesystem::create_directories(folder);
        JsProgress progress;
        return session.extract(folder, progress);
    });
}

// The save's source members as a project into `folder` (created), as quelvane-cli sources writes.
EMSCRIPTEN_KEEPALIVE const char* quelvane_sources(int handle, const char* folder) {
    return guarded(handle, [&](BridgeSession& session) {
        std::filesystem::create_directories(folder);
        JsProgress progress;
        return session.sourceProject(folder, progress);
    });
}

// The save `before` against the save `after` (both open), as quelvane-cli compare --json answers;
// `withDates` compares source members' sequence numbers and dates too.
EMSCRIPTEN_KEEPALIVE const char* quelvane_compare(int before, int after, int withDates) {
    return guarded(before, [&](BridgeSession& session) {
        const auto found = sessions.find(after);
        if (found == sessions.end()) {
            return std::string("{\"error\":\"the save to compare with is not open\"}");
        }
        JsProgress progress;
        return session.compare(*found->second, withDates != 0, progress);
    });
}

}  // extern "C"
