/*
 * tesmaC: checks, sorts and completes the turnover sheet of a credit institution
 * (reporting form 0409101, "form 101").
 *
 * A host application loads libtesmaC.so and calls these three functions on its GUI thread.
 * Strings are NUL-terminated code page 1251 texts. Each list is passed as the address of
 * its first element: an array of pointers to the host's descriptor records, which stay
 * owned by the host and must not change until the call returns.
 */
#ifndef TESMA_TESMAC_H
#define TESMA_TESMAC_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Modes. */
enum {
    TESMA_MODE_CONTROL = 4, /* checks and filling */
    TESMA_MODE_SORT = 7,    /* sorting of a chapter table */
    TESMA_MODE_PREPARE = 8  /* report preparation: nothing of this library runs */
};

/* Table ids served. */
enum {
    TESMA_TABLE_CHAPTER_A = 466472,
    TESMA_TABLE_CHAPTER_B = 466473,
    TESMA_TABLE_CHAPTER_V = 466474,
    TESMA_TABLE_CHAPTER_G = 466475,
    TESMA_TABLE_MESSAGE_REQUISITES = 474667,
    TESMA_TABLE_CHAPTER_D = 583102
};

/*
 * Environment variables a host may set before a call. Each is read when the call starts.
 *
 * TESMA_ENV_UI                 "tty": draw the progress window as a line on the terminal;
 *                              "silent": draw nothing and start the run without the first
 *                              half-second wait. Unset: whether standard error is a terminal
 *                              decides.
 * TESMA_ENV_MESSAGES           a file that receives the run's message boxes, one UTF-8 line
 *                              each, instead of the screen (the host then shows them itself).
 * TESMA_ENV_PROTOCOL_COPY      a file that receives every line the run appended to the protocol,
 *                              the same bytes (code page 1251, CR LF), so that a host need not
 *                              read the protocol file back.
 * TESMA_ENV_OUTCOME            a file that receives one word, then a line feed, when the call
 *                              ends: one of the TESMA_OUTCOME_* words below.
 * TESMA_ENV_FINDINGS           a file that receives one finding record (below) per line the run
 *                              appended to the protocol, in the same order: record i is about
 *                              protocol line i. What a host would otherwise have to read back out
 *                              of the Russian message, as structure.
 * TESMA_ENV_DISCARD_CHANGES    any value but empty or "0": a dry run. Every control runs and
 *                              writes its protocol lines as usual, and no table change is
 *                              written back.
 *
 * The four files may be regular files or anything that opens for writing without waiting (a
 * host typically passes /proc/self/fd/N of an anonymous memory file, so nothing is left behind
 * however the call ends).
 */
#define TESMA_ENV_UI "TESMA_UI"
#define TESMA_ENV_MESSAGES "TESMA_MESSAGES"
#define TESMA_ENV_PROTOCOL_COPY "TESMA_PROTOCOL_COPY"
#define TESMA_ENV_OUTCOME "TESMA_OUTCOME"
#define TESMA_ENV_DISCARD_CHANGES "TESMA_DISCARD_CHANGES"
#define TESMA_ENV_FINDINGS "TESMA_FINDINGS"

/* How a call ended, as written to the TESMA_ENV_OUTCOME file. */
#define TESMA_OUTCOME_FINISHED "finished"       /* the procedures ran to their end */
#define TESMA_OUTCOME_STOPPED "stopped"         /* the operator pressed stop, before or during the run */
#define TESMA_OUTCOME_FAILED "failed"           /* a failure ended the run; no table change was written */
#define TESMA_OUTCOME_NO_PROTOCOL "no-protocol" /* the protocol file could not be opened: nothing ran */

/*
 * A FIFO as the protocol file: while nobody reads it, a call waits this long for a reader (the
 * progress window alive, its stop button heard; a stop ends the wait as "stopped") and then ends
 * "no-protocol". A host that makes several calls for one reader keeps the FIFO open for writing
 * itself between them, or the reader sees the end of its stream after the first call.
 */
#define TESMA_PROTOCOL_READER_WAIT_MS 5000

/*
 * Finding records (the TESMA_ENV_FINDINGS file). One line per record, ended by a line feed; the
 * texts are code page 1251. A record is a list of TESMA_RECORD_* keys and their values,
 * "key=value", separated by one TAB. A value never holds a TAB, a line feed or a carriage return:
 * they are written as the two characters \t, \n, \r, and a backslash as \\. Keys come in the
 * order below; a key without a value is left out, and a host ignores keys it does not know.
 *
 * kind        TESMA_KIND_*: a procedure's header line ("**..."), a finding ("<row>: <code> ..."),
 *             the line a stop wrote, or any other line.
 * procedure   the TESMA_PROCEDURE_* that wrote the line (for a stop, the one that was running).
 * row         finding: the number before ": ": the row of the main table the procedure was on,
 *             1 for the first, or, for a finding about the chapter as a whole, the rows it read.
 * code        finding: E101121, W101112, ...
 * account     the account the finding is about, as its row's NBAL2 holds it (or as a check names
 *             it), when it is about one.
 * sign        the account's sign (A_P), when the finding names it: "А", "П", or what the row
 *             holds where that is wrong.
 * fields      the chapter table's fields (VX_RUB, OB_AK_RUB, ..., NBAL2, A_P) the finding is
 *             about, comma-separated, each once, in the order the rule reads them. A field of
 *             the finding's row is its bare name; a value from elsewhere carries "@" and where:
 *               @previous   the previous period's report, the row of the same account
 *               @current    this report, the row of the finding's account (the finding's row
 *                           number counts the rows read)
 *               @active     the sum of the field over the chapter's active account rows
 *               @passive    the same over its passive account rows
 *               @counter    the sum over chapter В's counter-account rows 99998 and 99999
 *               @others     the sum over chapter В's other account rows
 *               @<account>  the row of that account, e.g. IS_ITOG@30301
 * values      the values of the fields, comma-separated in the same order, when every one is a
 *             number.
 * op          for a finding that compares two values, X and Y: the comparison that held, X op Y
 *             ("<>", "<", ">").
 * x, y        the values compared.
 * xrule, yrule how X and Y were formed: field references of `fields` (or a number) joined by
 *             "+" and "-", e.g. xrule=IS_RUB, yrule=VX_RUB+OB_AK_RUB-OB_PAS_RUB.
 * previous    "x" or "y": the compared value that comes from the previous period's report.
 *
 * Numbers are decimal texts: an optional "-", digits, and optionally "." and digits; never an
 * exponent. Chapter Д's amounts are its exact decimal texts, every digit kept. Other amounts are
 * binary numbers, written as the shortest text that reads back as the same number (as a double
 * where the value is one, otherwise as an 80-bit extended real); "nan", "inf" and "-inf" stand
 * for what is no number.
 */
#define TESMA_RECORD_KIND "kind"
#define TESMA_RECORD_PROCEDURE "procedure"
#define TESMA_RECORD_ROW "row"
#define TESMA_RECORD_CODE "code"
#define TESMA_RECORD_ACCOUNT "account"
#define TESMA_RECORD_SIGN "sign"
#define TESMA_RECORD_FIELDS "fields"
#define TESMA_RECORD_VALUES "values"
#define TESMA_RECORD_OP "op"
#define TESMA_RECORD_X "x"
#define TESMA_RECORD_Y "y"
#define TESMA_RECORD_XRULE "xrule"
#define TESMA_RECORD_YRULE "yrule"
#define TESMA_RECORD_PREVIOUS "previous"

#define TESMA_KIND_HEADER "header"
#define TESMA_KIND_FINDING "finding"
#define TESMA_KIND_STOP "stop"
#define TESMA_KIND_OTHER "other"

/* The procedures, as finding records name them. */
#define TESMA_PROCEDURE_CONTROL_CHAPTER_A1 "ControlChapterA1" /* chapter А: the balance control */
#define TESMA_PROCEDURE_CONTROL_CHAPTER_A2 "ControlChapterA2" /* chapter А: the cross-checks */
#define TESMA_PROCEDURE_CONTROL_CHAPTER_B "ControlChapterB"
#define TESMA_PROCEDURE_CONTROL_CHAPTER_V "ControlChapterV"
#define TESMA_PROCEDURE_CONTROL_CHAPTER_G "ControlChapterG"
#define TESMA_PROCEDURE_CONTROL_CHAPTER_D "ControlChapterD"
#define TESMA_PROCEDURE_SORT_CHAPTER_A "SortChapterA"
#define TESMA_PROCEDURE_SORT_CHAPTER_B "SortChapterB"
#define TESMA_PROCEDURE_SORT_CHAPTER_V "SortChapterV"
#define TESMA_PROCEDURE_SORT_CHAPTER_G "SortChapterG"
#define TESMA_PROCEDURE_SORT_CHAPTER_D "SortChapterD"
#define TESMA_PROCEDURE_FILL_REPORT_REQUISITES "FillReportRequisites"

/* Capacities of the lists. */
enum { TESMA_MAX_FORMS = 100, TESMA_MAX_TABLES = 120, TESMA_MAX_FIELDS = 1200, TESMA_MAX_EXTRAS = 12000 };

/*
 * Byte offsets of the fields the library reads in the host's records. A short string is one
 * length byte followed by that many code page 1251 characters. Integers are little-endian.
 */
enum {
    /* FormDescriptor: one report form */
    TESMA_FORM_ID = 0,         /* int32: form id */
    TESMA_FORM_DIR_NAME = 105, /* short string: the form's directory name */

    /* TableDescriptor: one table of a form */
    TESMA_TABLE_ID = 0,          /* int32: table id */
    TESMA_TABLE_FORM_ID = 4,     /* int32: id of the owning form */
    TESMA_TABLE_CODE = 109,      /* short string: upper-case table code, e.g. "Ф_1" */
    TESMA_TABLE_FILE_NAME = 140, /* short string: file name without ".DB" */
    TESMA_TABLE_KIND = 282,      /* short string: table kind; "F" changes row access */

    /* FieldDescriptor: one field of a table */
    TESMA_FIELD_TABLE_ID = 4, /* int32: id of the table */
    TESMA_FIELD_NAME = 12,    /* short string: upper-case field name */
    TESMA_FIELD_TYPE = 189,   /* char: 'A' text, 'D' date, 'I' integer, 'N' number */
    TESMA_FIELD_IS_KEY = 492  /* byte: non-zero for the key field of its table */
};

/* Minimum record sizes that hold every field above (a short string takes up to 256 bytes). */
enum { TESMA_FORM_DESCRIPTOR_SIZE = 361, TESMA_TABLE_DESCRIPTOR_SIZE = 538, TESMA_FIELD_DESCRIPTOR_SIZE = 493 };

/*
 * Runs the control procedures of one table for one reporting date, showing a progress
 * window, and appends the findings to the protocol file. Returns when the window has
 * closed: true for a call that returned normally (what the run found or what failed is in
 * the protocol file and in the message boxes shown during the run), false only when the call
 * itself could not be carried out.
 *
 * owner          the host's application object; kept, never dereferenced (may be NULL)
 * table_id       id of the table under control
 * pass_through   handed through to the procedures, not interpreted
 * mode           TESMA_MODE_CONTROL, TESMA_MODE_SORT or TESMA_MODE_PREPARE
 * instance_id    ID_EKZ of the report instance; 0 for none
 * report_date    day count from 30 December 1899
 * protocol_path  the protocol file
 * data_dir       folder of the report's tables: .../<form folder>/<YYYYMMDD>/
 * override_dir   folder used for tables named "!.<file>" (RunControl1 only)
 */
bool RunControl1(void* owner, int32_t table_id, int32_t pass_through, int32_t mode, int32_t instance_id,
                 double report_date, const char* protocol_path, const char* data_dir, const char* override_dir,
                 const void* const* forms, int32_t form_count, const void* const* tables, int32_t table_count,
                 const void* const* fields, int32_t field_count, const void* const* extras, int32_t extra_count);

/* As RunControl1, without an override folder. */
bool RunControl(void* owner, int32_t table_id, int32_t pass_through, int32_t mode, int32_t instance_id,
                double report_date, const char* protocol_path, const char* data_dir, const void* const* forms,
                int32_t form_count, const void* const* tables, int32_t table_count, const void* const* fields,
                int32_t field_count, const void* const* extras, int32_t extra_count);

/* Whether the library runs anything for this table and mode. */
bool FormIsChecked(int32_t table_id, int32_t mode);

#ifdef __cplusplus
}

/* The same contract for C++ hosts and for the library itself, as typed constants. */
#include <cstdint>
#include <string_view>

namespace tesma::contract {

inline constexpr std::int32_t kModeControl = TESMA_MODE_CONTROL;
inline constexpr std::int32_t kModeSort = TESMA_MODE_SORT;
inline constexpr std::int32_t kModePrepare = TESMA_MODE_PREPARE;

inline constexpr std::int32_t kTableChapterA = TESMA_TABLE_CHAPTER_A;
inline constexpr std::int32_t kTableChapterB = TESMA_TABLE_CHAPTER_B;
inline constexpr std::int32_t kTableChapterV = TESMA_TABLE_CHAPTER_V;
inline constexpr std::int32_t kTableChapterG = TESMA_TABLE_CHAPTER_G;
inline constexpr std::int32_t kTableChapterD = TESMA_TABLE_CHAPTER_D;
inline constexpr std::int32_t kTableMessageRequisites = TESMA_TABLE_MESSAGE_REQUISITES;

inline constexpr std::string_view kEnvUi = TESMA_ENV_UI;
inline constexpr std::string_view kEnvMessages = TESMA_ENV_MESSAGES;
inline constexpr std::string_view kEnvProtocolCopy = TESMA_ENV_PROTOCOL_COPY;
inline constexpr std::string_view kEnvOutcome = TESMA_ENV_OUTCOME;
inline constexpr std::string_view kEnvDiscardChanges = TESMA_ENV_DISCARD_CHANGES;
inline constexpr std::string_view kEnvFindings = TESMA_ENV_FINDINGS;

inline constexpr std::string_view kOutcomeFinished = TESMA_OUTCOME_FINISHED;
inline constexpr std::string_view kOutcomeStopped = TESMA_OUTCOME_STOPPED;
inline constexpr std::string_view kOutcomeFailed = TESMA_OUTCOME_FAILED;
inline constexpr std::string_view kOutcomeNoProtocol = TESMA_OUTCOME_NO_PROTOCOL;
inline constexpr std::int32_t kProtocolReaderWaitMs = TESMA_PROTOCOL_READER_WAIT_MS;

inline constexpr std::string_view kRecordKind = TESMA_RECORD_KIND;
inline constexpr std::string_view kRecordProcedure = TESMA_RECORD_PROCEDURE;
inline constexpr std::string_view kRecordRow = TESMA_RECORD_ROW;
inline constexpr std::string_view kRecordCode = TESMA_RECORD_CODE;
inline constexpr std::string_view kRecordAccount = TESMA_RECORD_ACCOUNT;
inline constexpr std::string_view kRecordSign = TESMA_RECORD_SIGN;
inline constexpr std::string_view kRecordFields = TESMA_RECORD_FIELDS;
inline constexpr std::string_view kRecordValues = TESMA_RECORD_VALUES;
inline constexpr std::string_view kRecordOp = TESMA_RECORD_OP;
inline constexpr std::string_view kRecordX = TESMA_RECORD_X;
inline constexpr std::string_view kRecordY = TESMA_RECORD_Y;
inline constexpr std::string_view kRecordXRule = TESMA_RECORD_XRULE;
inline constexpr std::string_view kRecordYRule = TESMA_RECORD_YRULE;
inline constexpr std::string_view kRecordPrevious = TESMA_RECORD_PREVIOUS;

inline constexpr std::string_view kKindHeader = TESMA_KIND_HEADER;
inline constexpr std::string_view kKindFinding = TESMA_KIND_FINDING;
inline constexpr std::string_view kKindStop = TESMA_KIND_STOP;
inline constexpr std::string_view kKindOther = TESMA_KIND_OTHER;

inline constexpr std::string_view kProcedureControlChapterA1 = TESMA_PROCEDURE_CONTROL_CHAPTER_A1;
inline constexpr std::string_view kProcedureControlChapterA2 = TESMA_PROCEDURE_CONTROL_CHAPTER_A2;
inline constexpr std::string_view kProcedureControlChapterB = TESMA_PROCEDURE_CONTROL_CHAPTER_B;
inline constexpr std::string_view kProcedureControlChapterV = TESMA_PROCEDURE_CONTROL_CHAPTER_V;
inline constexpr std::string_view kProcedureControlChapterG = TESMA_PROCEDURE_CONTROL_CHAPTER_G;
inline constexpr std::string_view kProcedureControlChapterD = TESMA_PROCEDURE_CONTROL_CHAPTER_D;
inline constexpr std::string_view kProcedureSortChapterA = TESMA_PROCEDURE_SORT_CHAPTER_A;
inline constexpr std::string_view kProcedureSortChapterB = TESMA_PROCEDURE_SORT_CHAPTER_B;
inline constexpr std::string_view kProcedureSortChapterV = TESMA_PROCEDURE_SORT_CHAPTER_V;
inline constexpr std::string_view kProcedureSortChapterG = TESMA_PROCEDURE_SORT_CHAPTER_G;
inline constexpr std::string_view kProcedureSortChapterD = TESMA_PROCEDURE_SORT_CHAPTER_D;
inline constexpr std::string_view kProcedureFillReportRequisites = TESMA_PROCEDURE_FILL_REPORT_REQUISITES;

}  // namespace tesma::contract
#endif

#endif /* TESMA_TESMAC_H */
