#pragma once
#include "framework/framework.h"
constexpr int kStaticRecordCount = 8192;
extern CString g_staticRecords[kStaticRecordCount];
extern CString g_staticCopy;
