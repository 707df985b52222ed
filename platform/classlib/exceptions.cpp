#include "platform/classlib/exceptions.h"

namespace {

int guardedDepth = 0;

}  // namespace

bool IsMappedFault(DWORD exceptionCode) noexcept {
  switch (exceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
    case STATUS_CONTROL_C_EXIT:
      return true;
    default:
      return false;
  }
}

void RaiseFault(DWORD exceptionCode) {
  switch (exceptionCode) {
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: throw ERangeError();
    case EXCEPTION_INT_DIVIDE_BY_ZERO: throw EDivByZero();
    case EXCEPTION_INT_OVERFLOW: throw EIntOverflow();
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: throw EZeroDivide();
    case EXCEPTION_FLT_OVERFLOW: throw EOverflow();
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_DENORMAL_OPERAND: throw EUnderflow();
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_STACK_CHECK: throw EInvalidOp();
    case EXCEPTION_PRIV_INSTRUCTION: throw EPrivilege();
    case EXCEPTION_STACK_OVERFLOW: throw EStackOverflow();
    case STATUS_CONTROL_C_EXIT: throw EControlC();
    case EXCEPTION_ACCESS_VIOLATION:
    default:  // callers pass mapped codes only
      throw EAccessViolation();
  }
}

GuardedScope::GuardedScope() noexcept { ++guardedDepth; }
GuardedScope::~GuardedScope() { --guardedDepth; }
bool GuardedScope::IsActive() noexcept { return guardedDepth > 0; }
