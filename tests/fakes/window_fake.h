// The window double: fields and labels held in memory, readable and resettable by tests.
#pragma once

#include "app/window.h"

// Empties every field and gives both labels the caption "标签" again.
void ResetFakeWindow();
Text FakeLabelCaption(Label label);
