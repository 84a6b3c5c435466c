' Set, Nothing, Is, and objects in Variants.
Sub Main
  Dim o As Object, p
  Print o Is Nothing ' expect: True
  Set p = Err
  Print p Is Err ' expect: True
  Print IsObject(p) & " " & IsObject(5) ' expect: True False
  Set p = Nothing
  Print TypeName(p) ' expect: Nothing
  On Error Resume Next
  Set o = 5
  Print Err.Number & " " & Err.Description ' expect: 424 Object required
End Sub
