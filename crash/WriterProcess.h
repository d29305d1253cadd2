#pragma once
// The writer process: forked when the handler is installed, it waits on a
// socket for the one crash of its parent, then reads the crashed process from
// outside (registers from the request, memory through process_vm_readv,
// modules from /proc) and writes the full log into the file the crashed
// thread created. It never runs code of the crashed process's state.

#include <sys/types.h>

// Forks the writer; on success `sock` is the parent's end of the socket.
bool StartWriterProcess(int& sock, pid_t& pid);
