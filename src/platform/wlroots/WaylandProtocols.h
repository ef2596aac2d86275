#pragma once

// The generated client bindings of every protocol the back end speaks.

#include <wayland-client.h>

#include "viewporter-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

// The layer-shell header names a parameter `namespace`, a C++ keyword, which clang warns of
// redefining.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
