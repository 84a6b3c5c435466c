' Subs and Functions, ByRef and ByVal, Optional parameters, recursion, Exit.
Option Explicit
Private Const Base As Integer = 10
Dim counter As Long

Sub Bump(ByRef n, ByVal m)
  n = n + 1
  m = m + 1
End Sub

Function Fact(n As Long) As Long
  If n <= 1 Then
    Fact = 1
    Exit Function
  End If
  Fact = n * Fact(n - 1)
End Function

Function Describe(a, Optional b = "two", Optional c) As String
  Describe = a & "-" & b
  If Not IsMissing(c) Then Describe = Describe & "-" & c
End Function

Sub Count()
  counter = counter + 1
  If counter < 3 Then Exit Sub
  counter = counter * Base
End Sub

Sub Main()
  Dim x As Long, y As Long
  x = 1: y = 1
  Bump x, y
  Print x & " " & y ' expect: 2 1
  Print Fact(10) ' expect: 3628800
  Print Describe("one") ' expect: one-two
  Print Describe("one", , "three") ' expect: one-two-three
  Call Count: Count: Count
  Print counter ' expect: 30
  Rem a remark line
  Print "con" & _
        "tinued" ' expect: continued
End Sub
