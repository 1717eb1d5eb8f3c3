#pragma once
// One command, one protocol stream. The library opens the protocol at the start of each run and
// closes it at the end; a FIFO's reader would see the end of its stream after the first run of a
// command that runs the library several times (a check of every chapter), and the later runs
// would find nobody to write to. While a ProtocolStream lives, f101 itself holds the FIFO open
// for writing, so that the reader sees its end only when the command is done. It never reads
// the FIFO and never writes to it: the wait for a reader stays the library's.
#include <string>
#include <thread>

#include "platform/unique_fd.h"

namespace tesma::f101 {

class ProtocolStream {
public:
    // Holds `path` open for writing when it names a FIFO; anything else is left alone.
    explicit ProtocolStream(const std::string& path);
    ~ProtocolStream();
    ProtocolStream(const ProtocolStream&) = delete;
    ProtocolStream& operator=(const ProtocolStream&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    // The FIFO itself, whatever becomes of its name meanwhile (a descriptor that neither reads
    // nor writes it); both opens below go through it.
    UniqueFd fifo_;
    // A FIFO opened for writing only is there once a reader comes: a thread of its own waits in
    // that open, counting as a writer from the start, while the library's run waits for the
    // same reader.
    std::thread opener_;
    UniqueFd held_;
};

}  // namespace tesma::f101
