' Declared types convert on assignment; Variant keeps what it is given.
Dim modvar As String

Sub Main
  Dim i As Integer, l As Long, s As Single, d As Double
  Dim str As String, b As Boolean, dt As Date, v As Variant, o As Object
  Print TypeName(i) & " " & TypeName(l) & " " & TypeName(s) & " " & TypeName(d) ' expect: Integer Long Single Double
  Print TypeName(str) & " " & TypeName(b) & " " & TypeName(dt) & " " & TypeName(v) & " " & TypeName(o) ' expect: String Boolean Date Empty Nothing
  i = 2.5: l = "42": d = "1.25": b = 1: str = 12
  Print i & " " & l & " " & d & " " & b & " " & str ' expect: 2 42 1.25 True 12
  dt = "12/11/2026"
  Print dt & " " & TypeName(dt) ' expect: 12/11/2026 Date
  v = 5: Print TypeName(v); : v = "x": Print " " & TypeName(v) ' expect: Integer String
  x% = 7.6: y$ = 5
  Print x% & TypeName(x%) & " " & TypeName(y$) ' expect: 8Integer String
  Print modvar = "" ' expect: True
  Print IsEmpty(v2), IsNull(Null) ' expect: True	True
  Print "say ""hi""" ' expect: say "hi"
  Print &H10 + &O10 + &HFF& ' expect: 279
  Print TypeName(100000 * 100000) ' expect: LongLong
End Sub
