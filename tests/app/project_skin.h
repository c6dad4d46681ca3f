#pragma once
// The windows under test read the project's own skin folder, as `--skin skin` would.

#include <gtest/gtest.h>

#include "platform/archive/skin_archive.h"
#include "platform/ui/paint_manager.h"

namespace velmora::testing {

inline void UseProjectSkin() {
  auto skin = OpenSkinFolder(VELMORA_SKIN_DIR);
  ASSERT_TRUE(skin) << skin.error;
  ui::CPaintManagerUI::SetResourceSource(std::move(skin.value));
}

}  // namespace velmora::testing
