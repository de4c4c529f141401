// Base of objects that can be copied from one another through Assign.
#pragma once

class TPersistent {
public:
  virtual ~TPersistent() = default;
  // Copy Source into this object; the base asks Source to copy itself into us.
  virtual void Assign(const TPersistent& Source) { Source.AssignTo(*this); }

protected:
  // Raises EConvertError when this object cannot be copied into Dest.
  virtual void AssignTo(TPersistent& Dest) const;
};
