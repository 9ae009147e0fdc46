// The text rules of the operations and their dialogs: which operations there are and their verbs, command
// templates, the tag command, line ends of captured output, the text of the error message box, and what the
// dialogs show and keep. Platform-free.
#pragma once

#include <string>

namespace ops {

// The operations that run command lines on a selection (Ferrow.exe's commands of the same verbs, and the
// handler's where a console bar shows the output).
enum class Operation { kUpdate, kCommit, kAdd, kRemove, kCustom, kUndo, kTag, kResetTag };

// The operation of a verb ("update", "commit", "add", "remove", "custom", "undo", "tag", "resettag",
// compared without case); false for any other text.
bool FindOperation(const std::string& verb, Operation& operation);
// The operation's verb, lower case.
const char* OperationVerb(Operation operation);
// The string id of the operation's menu text (its output window's title is made from it).
unsigned OperationTextId(Operation operation);

// The fixed template of an operation: Update, Add, Remove, Undo, Reset sticky tag and Commit (with its
// "$(Message)" still in place). Null for the operations whose command is built or chosen elsewhere.
const char* FixedTemplate(Operation operation);

// The variables the operations fill beside "$(CVS)" and "$(Names)", each with an already quoted text:
// the commit message, the name of the file that holds it, the tag name.
constexpr char kMessageVariable[] = "$(Message)";
constexpr char kMessageFileVariable[] = "$(MessageFile)";
constexpr char kTagVariable[] = "$(Tag)";

// The commit template that has the client read the message from a file ("-F $(MessageFile)" in place of
// "-m $(Message)"): a file passes no interpreter, so every byte of the message arrives.
const char* CommitFileTemplate();

// "$(CVS) -q tag " + "-F " (move) + "-c " (check) + "-b " (branch), always in this order, + "$(Tag)" +
// " $(Names)".
std::string BuildTagTemplate(bool moveFlag, bool checkFlag, bool branchFlag);

// Every "\r\n" becomes "\n", then every "\n" becomes "\r\n": each line ends with CR LF. A lone CR stays.
std::string NormalizeLineEnds(const std::string& text);

// The text of the "CVS Error" message box: standard error if not empty, else standard output if not empty,
// else the fallback (the generic error string).
const std::string& ChooseErrorText(const std::string& stdErr, const std::string& stdOut,
                                   const std::string& fallback);

// An operation's name for the title of its output window: the menu text without its access-key marks (a
// doubled "&" is one "&") and without a trailing "...": "Custom C&ommand..." is "Custom Command".
std::string OperationName(const std::string& menuText);

// The commit dialog's message as one line: every CR, then every LF, becomes a blank.
std::string MakeOneLine(std::string text);

// What the dialogs show for a single file's entry: the revision without one leading "-" (a removed file),
// the tag field without one leading "T" (a date "D..." stays as it is).
std::string RevisionForDisplay(const std::string& revision);
std::string TagForDisplay(const std::string& tagDate);

}  // namespace ops
