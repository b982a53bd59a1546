#pragma once
// The one last-error code of the kernel. Only the export layer writes it:
// cores return their status and never touch it.

namespace qo {

void SetKernelError(int code);
int PeekKernelError();
// Returns the code and resets it to 0.
int TakeKernelError();

}  // namespace qo
