#pragma once

// What the Merged window needs of the window that owns it (the main window).

#include <string>
#include <vector>

namespace lindo {

class DiffEngine;

class MergedWindowHost {
public:
    virtual ~MergedWindowHost() = default;
    virtual DiffEngine &Engine() = 0;
    // Where Save writes and Save As starts for text merged from a comparison
    // whose first file was `firstFile` (empty: none), computed afresh at each
    // call. Paths here are bytes, as the file system has them.
    virtual std::string MergeTargetFor(const std::string &firstFile) = 0;
    // The paths of the two files the shown comparison was read from.
    virtual std::vector<std::string> ComparedFiles() = 0;
    // Destroys the Merged window, releases it and forgets it.
    virtual void CloseMergedWindow() = 0;
};

} // namespace lindo
