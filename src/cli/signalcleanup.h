#pragma once

namespace lindo {

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file of a write in
// progress before they end the program as they would have. A signal the
// program was started with ignored (nohup) stays ignored.
void RemoveWriterTemporaryOnSignals();

} // namespace lindo
