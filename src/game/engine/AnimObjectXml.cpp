// Reading and writing an object as XML.
#include "game/engine/AnimObject.h"

void AnimObject::ReadXmlAttributes(const ObjectXmlElement&) {}
void AnimObject::WriteXml(std::string&, int) {}
void AnimObject::WriteTypeAttributes(std::string&) {}
void AnimObject::ReadAttributeElement(const ObjectXmlElement&) {}
void AnimObject::ReadFilterElement(const ObjectXmlElement&) {}
void AnimObject::ReadEventElement(const ObjectXmlElement&) {}
void AnimObject::ReadOwnElement(const ObjectXmlElement&) {}
