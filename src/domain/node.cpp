#include "domain/node.hpp"

namespace borvane::domain {

std::string ReadError::display() const {
  if (!pos) return message;
  return message + " at line " + std::to_string(pos->line) + " column " + std::to_string(pos->column);
}

}  // namespace borvane::domain
