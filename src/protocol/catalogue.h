#pragma once
// The whole command catalogue: every frame the console sends and every reply
// it applies to a record, by family.

#include "protocol/catalogue_frame.h"
#include "protocol/catalogue_opcodes.h"
#include "protocol/catalogue_preset.h"
#include "protocol/catalogue_read.h"
#include "protocol/catalogue_scan.h"
#include "protocol/catalogue_write.h"
