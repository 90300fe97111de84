#include "XelQuorOutput.h"

#include <cstdio>
#include <iomanip>
#include <iostream>

XelQuorOutput::XelQuorOutput(int iWhich)
    : _which(iWhich), _precision(6), _width(0), _redirect(nullptr) {}

XelQuorOutput& XelQuorOutput::GetOut() {
  static XelQuorOutput out(1);
  return out;
}

XelQuorOutput& XelQuorOutput::GetErr() {
  static XelQuorOutput err(2);
  return err;
}

std::ostream& XelQuorOutput::Target() {
  if (_redirect)
    return *_redirect;
  return _which == 1 ? std::cout : std::cerr;
}

void XelQuorOutput::Redirect(std::ostream* iStream) {
  _redirect = iStream;
}

XelQuorOutput& XelQuorOutput::operator<<(const char* iText) {
  Target() << std::setw(_width) << (iText ? iText : "(null)");
  _width = 0;
  return *this;
}

XelQuorOutput& XelQuorOutput::operator<<(double iValue) {
  std::ostream& target = Target();
  std::streamsize old = target.precision(_precision);
  target << std::setw(_width) << iValue;
  target.precision(old);
  _width = 0;
  return *this;
}

XelQuorOutput& XelQuorOutput::operator<<(int iValue) {
  return *this << static_cast<long>(iValue);
}

XelQuorOutput& XelQuorOutput::operator<<(long iValue) {
  Target() << std::setw(_width) << iValue;
  _width = 0;
  return *this;
}

XelQuorOutput& XelQuorOutput::operator<<(short iValue) {
  return *this << static_cast<long>(iValue);
}

XelQuorOutput& XelQuorOutput::operator<<(unsigned int iValue) {
  return *this << static_cast<unsigned long>(iValue);
}

XelQuorOutput& XelQuorOutput::operator<<(unsigned long iValue) {
  Target() << std::setw(_width) << iValue;
  _width = 0;
  return *this;
}

XelQuorOutput& XelQuorOutput::operator<<(char iValue) {
  const char text[2] = {iValue, '\0'};
  return *this << text;
}

XelQuorOutput& XelQuorOutput::operator<<(XelQuorSetW iWidth) {
  _width = iWidth.width < 0 ? 0 : iWidth.width;
  return *this;
}

int XelQuorOutput::precision(int iDigits) {
  int old = _precision;
  if (iDigits > 0)
    _precision = iDigits;
  return old;
}

void XelQuorOutput::flush() {
  Target().flush();
}
