' Type tests.
Sub Main
  Dim a(2), o As Object, v
  Print IsNumeric(12) & IsNumeric("12.5") & IsNumeric(" -3 ") & IsNumeric("12a") & IsNumeric(Empty) & IsNumeric(Null) ' expect: TrueTrueTrueFalseTrueFalse
  Print IsEmpty(v) & IsEmpty("") & IsNull(Null) & IsNull(Empty) & IsArray(a) & IsArray(v) & IsObject(o) ' expect: TrueFalseTrueFalseTrueFalseTrue
  Print TypeName(a) & " " & TypeName(Null) & " " & TypeName(True) & " " & TypeName(#1/1/2026#) & " " & TypeName(2147483648#) ' expect: Variant() Null Boolean Date Double
  Print VarType(1) & " " & VarType(70000) & " " & VarType("s") & " " & VarType(Null) & " " & VarType(a) & " " & VarType(o) ' expect: 2 3 8 1 8204 9
  Print IIf(1 > 2, "yes", "no") & " " & Choose(2, "a", "b", "c") & " " & IsNull(Choose(5, "a")) ' expect: no b True
  Print Error(11) & " / " & RGB(255, 0, 1) ' expect: Division by zero / 65791
End Sub
