#pragma once
// The control procedures of form 101 that the dispatcher runs.

namespace tesma::controls {

void ControlChapterA1();  // chapter А balance control
void ControlChapterA2();  // chapter А cross-checks against the bank's requisites
void ControlChapterB();   // chapter Б trust management accounts
void ControlChapterV();   // chapter В off-balance accounts
void ControlChapterG();   // chapter Г forward transactions
void ControlChapterD();   // chapter Д depository accounts
void SortChapterA();
void SortChapterB();
void SortChapterV();
void SortChapterG();
void SortChapterD();
void FillReportRequisites();  // requisites of the electronic report message

}  // namespace tesma::controls
