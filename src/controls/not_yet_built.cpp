// Procedures whose checks are not built yet: the dispatcher runs them and they do nothing.
#include "controls/procedures.h"

namespace tesma::controls {

void SortChapterA() {}
void SortChapterB() {}
void SortChapterV() {}
void SortChapterG() {}
void SortChapterD() {}
void FillReportRequisites() {}

}  // namespace tesma::controls
