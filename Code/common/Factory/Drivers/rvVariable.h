#pragma once
// A named float that an effect publishes for the variable driver.
//
// Every variable enters one process-wide registry when constructed and leaves it when
// destroyed. Names need not be unique: a look-up finds the first variable, in
// construction order, with that name.
#include <string>
#include <vector>

class rvVariable
{
public:
    explicit rvVariable(std::string name);
    ~rvVariable();
    // The registry holds the variable's address: no copies.
    rvVariable(const rvVariable&) = delete;
    rvVariable& operator=(const rvVariable&) = delete;

    // First registered variable with exactly this name, or null.
    static rvVariable* Find(const std::string& name);
    // The registry, in construction order (created on first use, never released).
    static const std::vector<rvVariable*>& GetAll() { return Registry(); }

    std::string _sName;
    float _fValue = 0.0f;

private:
    static std::vector<rvVariable*>& Registry();
    static std::vector<rvVariable*>* _apVariables;
};
