#pragma once
// A user formula: a thin wrapper around the expression parser that never lets an error
// escape. Errors become a false result or NaN.
//
// Use: bind the variables the formula reads (by address), then Compile the text once and
// Evaluate as often as needed; changing a bound variable changes the result without
// compiling again. The constants "pi", "epsilon" and "inf" and the functions listed in
// the README ("Expression driver: formula syntax") are always defined.
#include <memory>
#include <string>
#include <vector>

namespace mu
{
class Parser;
}

class rvExpression
{
public:
    rvExpression();
    ~rvExpression();
    rvExpression(const rvExpression&) = delete;
    rvExpression& operator=(const rvExpression&) = delete;

    // Binds name to the double at pValue, which must stay valid while the expression is
    // used. Returns false for a name the parser cannot take (a constant, a function, a
    // bad identifier). Binding invalidates the compiled form: compile again afterwards.
    bool DefineVar(const std::string& name, double* pValue);

    // The free variables of text: names it reads that are neither bound variables nor
    // constants, in order of first appearance. Returns false (names untouched) when the
    // text does not parse far enough to tell.
    bool CollectVariables(const std::string& text, std::vector<std::string>& names) const;

    // Compiles text against the variables bound so far. Returns false, with the
    // parser's message in GetError, when it does not compile.
    bool Compile(const std::string& text);
    bool IsCompiled() const { return _bCompiled; }
    const std::string& GetText() const { return _sText; }
    const std::string& GetError() const { return _sError; }

    // Value of the compiled formula with the bound variables' current values; NaN when
    // it is not compiled or evaluation fails.
    double Evaluate() const;

    // True for the names the expression defines itself ("pi", "epsilon", "inf").
    static bool IsConstantName(const std::string& name);

private:
    std::unique_ptr<mu::Parser> _pParser;
    std::vector<std::string> _aBound;
    std::string _sText;
    std::string _sError;
    bool _bCompiled = false;
};
