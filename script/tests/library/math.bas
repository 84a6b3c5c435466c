' Math functions.
Sub Main
  Print Abs(-3) & " " & Abs(2.5) & " " & Sgn(-2) & Sgn(0) & Sgn(9) ' expect: 3 2.5 -101
  Print Sqr(16) & " " & Exp(0) & " " & Log(1) & " " & Round(Log(Exp(2)), 10) ' expect: 4 1 0 2
  Print Sin(0) & " " & Cos(0) & " " & Tan(0) & " " & Round(Atn(1) * 4, 5) ' expect: 0 1 0 3.14159
  Randomize 42
  Dim r, ok: ok = True
  For i = 1 To 1000
    r = Rnd
    If r < 0 Or r >= 1 Then ok = False
  Next
  Print ok & " " & TypeName(Rnd) & " " & (Rnd(0) = Rnd(0)) ' expect: True Single True
  Randomize 7: a = Rnd: Randomize 7: b = Rnd
  Print a = b ' expect: True
  On Error Resume Next
  x = Sqr(-1)
  Print Err.Number ' expect: 5
End Sub
