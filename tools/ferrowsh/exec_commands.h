// Shell-host commands of the command-running subsystem. Each takes the arguments after its name and
// returns the process exit code.
//   band [--for <ms>] [text...]     a top-level window that sites the console bar the way Explorer does,
//                                   with the texts appended; runs until closed, or for <ms> milliseconds.
//   run <template> <paths...>       runs the template on the selection as an operation does (console cleared,
//                                   output captured, CR LF line ends, "ok" or "failed") and prints what the
//                                   console bar shows. Exit code 0 when the command succeeded, 1 when not.
#pragma once

int BandCommand(int argc, char** argv);
int RunCommand(int argc, char** argv);
