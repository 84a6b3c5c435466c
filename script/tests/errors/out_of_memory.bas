' Requests for impossible amounts of memory are run-time errors.
Sub Main
  On Error Resume Next
  s = Space(2000000000000#)
  Print Err.Number ' expect: 6
  Err.Clear
  ReDim a(200000000)
  Print Err.Number ' expect: 7
  Err.Clear
  s = String(1E+15, "x")
  Print Err.Number ' expect: 6
End Sub
