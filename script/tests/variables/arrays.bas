' Fixed, dynamic and multi-dimensional arrays; ReDim Preserve; Erase.
Option Base 0
Dim grid(2, 1 To 3) As Long

Sub Fill(a() As Long)
  a(0) = 99
End Sub

Sub Main
  Dim fixed(3) As Integer, i
  Print LBound(fixed) & ".." & UBound(fixed) & " " & fixed(3) ' expect: 0..3 0
  grid(2, 3) = 23
  Print UBound(grid, 1) & " " & LBound(grid, 2) & " " & grid(2, 3) ' expect: 2 1 23
  Dim dyn() As Long
  ReDim dyn(4)
  For i = 0 To 4: dyn(i) = i * i: Next
  ReDim Preserve dyn(6)
  Print dyn(4) & " " & dyn(6) & " " & UBound(dyn) ' expect: 16 0 6
  Fill dyn
  Print dyn(0) ' expect: 99
  ReDim dyn(1)
  Print dyn(0) ' expect: 0
  Dim copy
  copy = dyn
  copy(0) = 5
  Print dyn(0) & " " & copy(0) ' expect: 0 5
  Dim a
  a = Array(1, "two", 3.5)
  Print UBound(a) & " " & a(1) & " " & IsArray(a) ' expect: 2 two True
  Erase fixed
  Print fixed(0) ' expect: 0
  ReDim m(1 To 2, 1 To 2)
  m(2, 2) = "corner"
  Print m(2, 2) ' expect: corner
  On Error Resume Next
  Print fixed(4)
  Print Err.Number & " " & Err.Description ' expect: 9 Subscript out of range
  Err.Clear
  ReDim fixed(10)
  Print Err.Number ' expect: 10
  Erase dyn
  Print UBound(dyn)
  Print Err.Number ' expect: 9
End Sub
