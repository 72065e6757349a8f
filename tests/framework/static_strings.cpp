// Strings built by static constructors in a translation unit of their own, as
// the registration ring's records are: no reliance on initialisation order.
#include "static_strings.h"

CString g_staticRecords[kStaticRecordCount];

namespace {
struct RecordFiller {
    RecordFiller() {
        for (int i = 0; i < kStaticRecordCount; ++i) {
            g_staticRecords[i].Format("rec%04d", i);
            g_staticRecords[i] += CString('x', i % 3);
        }
    }
} g_filler;
}  // namespace

CString g_staticCopy = g_staticRecords[7];
