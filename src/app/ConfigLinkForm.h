#pragma once

#include "base/LinkKind.h"
#include "readercfg/ConfigLinkRequest.h"

#include <functional>

class QWidget;

// Reads the configuration link request from the link pages of `pnlTagMain` ("COM", "UDP", "TCP
// Server", "TCP Client") by their control names, so any page that shows the panel can run
// configuration commands over the link the user set up there.
namespace ConfigLinkForm {
// `kind`: the page in front; `comDevice(n)`: the device serial port n opens (empty: the platform's).
ConfigLinkRequest request(const QWidget *panel, LinkKind kind,
                          const std::function<QString(int)> &comDevice = {});
} // namespace ConfigLinkForm
