#include "app/BackendChoice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vv {
namespace {

DisplayBackend named(std::string name) {
  DisplayBackend backend;
  backend.name = std::move(name);
  return backend;
}

// Records which probes ran and which fallback was built.
struct Probing {
  std::vector<std::string> ran;
  std::vector<bool> fallbacks;

  BackendProber answering(std::string name, BackendProbe (*answer)(std::string)) {
    return [this, name, answer] {
      ran.push_back(name);
      return answer(name);
    };
  }
  FallbackBackend fallback() {
    return [this](bool refused) {
      fallbacks.push_back(refused);
      return named(refused ? "refused" : "none");
    };
  }
};

BackendProbe usable(std::string name) { return named(std::move(name)); }
BackendProbe unavailable(std::string) { return BackendUnavailable{}; }
BackendProbe notAuthorised(std::string) { return BackendNotAuthorised{}; }

TEST(BackendChoice, TheSessionIsTheCompositorsSocketNeverTheXDisplay) {
  EXPECT_EQ(sessionOf(""), Session::X11);
  EXPECT_EQ(sessionOf("wayland-1"), Session::Wayland);
}

TEST(BackendChoice, TheFirstUsableBackEndWinsAndLaterOnesAreNeverProbed) {
  Probing probing;
  const DisplayBackend chosen = chooseDisplayBackend(
      {probing.answering("wlroots", unavailable), probing.answering("kwin", notAuthorised),
       probing.answering("portal", usable), probing.answering("later", usable)},
      probing.fallback());
  EXPECT_EQ(chosen.name, "portal");
  EXPECT_EQ(probing.ran, (std::vector<std::string>{"wlroots", "kwin", "portal"}));
  EXPECT_TRUE(probing.fallbacks.empty());
}

TEST(BackendChoice, WithNothingUsableTheFallbackHearsWhetherABackEndRefusedUs) {
  Probing probing;
  EXPECT_EQ(
      chooseDisplayBackend({probing.answering("wlroots", unavailable)}, probing.fallback()).name,
      "none");
  EXPECT_EQ(chooseDisplayBackend({probing.answering("kwin", notAuthorised),
                                  probing.answering("portal", unavailable)},
                                 probing.fallback())
                .name,
            "refused");
  EXPECT_EQ(chooseDisplayBackend({}, probing.fallback()).name, "none");
  EXPECT_EQ(probing.fallbacks, (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace vv
