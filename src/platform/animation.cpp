#include "platform/animation.h"

namespace calyxa {
namespace {

// Transactions nest like the call stack that opened them; each thread has its own.
std::vector<Transaction>& transactionStack() {
  thread_local std::vector<Transaction> stack;
  return stack;
}

}  // namespace

const Transaction& currentTransaction() {
  static const Transaction none{};
  const auto& stack = transactionStack();
  return stack.empty() ? none : stack.back();
}

namespace detail {

TransactionScope::TransactionScope(Transaction transaction) {
  transactionStack().push_back(std::move(transaction));
}

TransactionScope::~TransactionScope() {
  transactionStack().pop_back();
}

}  // namespace detail
}  // namespace calyxa
