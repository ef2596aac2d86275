#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Processes.h"
#include "SelectedNumber.h"
#include "TelUri.h"
#include "platform/ocr/LibPhoneNumberDetector.h"

namespace {

using vv::Finished;

// The picker: VIZOVI_VEVO when set, else the one installed beside this program, else PATH's.
std::string pickerProgram() {
  if (const char* chosen = std::getenv("VIZOVI_VEVO"); chosen && *chosen) {
    return chosen;
  }
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path beside = self.parent_path() / "vizovi-vevo";
    if (::access(beside.c_str(), X_OK) == 0) {
      return beside;
    }
  }
  return "vizovi-vevo";
}

void writeLine(std::string_view text) {
  const std::string line = std::string(text) + "\n";
  std::string_view rest = line;
  while (!rest.empty()) {
    const ssize_t written = ::write(STDOUT_FILENO, rest.data(), rest.size());
    if (written <= 0) {
      return;
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

// Nothing on this desktop dials: the number goes to the clipboard, where the user can paste it
// into whatever does, and the desktop's notification service says so, once.
void offerOnClipboard(const std::string& number) {
  const bool wayland = std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY");
  const std::vector<std::string> copy =
      wayland ? std::vector<std::string>{"wl-copy"}
              : std::vector<std::string>{"xclip", "-selection", "clipboard"};
  const bool copied = vv::runQuietly(copy, number).status == 0;
  vv::runQuietly({"notify-send", "--app-name=Vizovi Vevo", "--icon=vizovi-vevo",
                  "No app handles phone links",
                  copied ? "The number is on the clipboard." : "Dial the number by hand."});
}

}  // namespace

int main(int argc, char** argv) {
  // A clipboard helper that leaves before reading the number must not end this process.
  std::signal(SIGPIPE, SIG_IGN);
  bool print = false;
  std::vector<std::string> picker{pickerProgram()};
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--print") {
      print = true;
    } else {
      picker.emplace_back(argv[i]);
    }
  }
  const Finished picked = vv::runCapturingOutput(picker);
  const std::optional<std::string> number = vv::selectedNumber(picked.output);
  if (!number) {
    return picked.status;
  }
  const std::string uri = vv::telUri(*number, vv::LibPhoneNumberDetector::defaultRegion());
  if (print) {
    writeLine(uri);
    return picked.status;
  }
  const Finished opened = vv::runQuietly({"xdg-open", uri});
  if (opened.status != 0) {
    offerOnClipboard(*number);
    return opened.status;
  }
  return picked.status;
}
